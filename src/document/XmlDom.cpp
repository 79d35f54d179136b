#include "document/XmlDom.h"

#include "document/CodePage932.h"
#include "document/TextCodec.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace XmlDom {
namespace {

bool IsXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The process-wide part of libxml2, set up once: the parser's globals and the
// registration of the CP932 handler. Everything else is per call.
void InitialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        if (!CodePage932::Available())
            return;
        TextCodec::RegisterCp932Handler();
    });
    if (!CodePage932::Available())
        throw EXmlException("この環境には CP932 (Shift_JIS) の文字コード変換がありません");
}

// ---- Errors -----------------------------------------------------------------

// While alive, takes over libxml2's error reporting on this thread (where
// libxml2 keeps its handlers) and collects the first error instead of letting
// it reach the terminal. Restores the previous handlers when it goes.
class TErrorCapture {
public:
    TErrorCapture()
        : FPrevStructured(xmlStructuredError), FPrevStructuredContext(xmlStructuredErrorContext),
          FPrevGeneric(xmlGenericError), FPrevGenericContext(xmlGenericErrorContext)
    {
        xmlSetStructuredErrorFunc(this, OnStructured);
        xmlSetGenericErrorFunc(this, OnGeneric);
    }
    ~TErrorCapture()
    {
        xmlSetStructuredErrorFunc(FPrevStructuredContext, FPrevStructured);
        xmlSetGenericErrorFunc(FPrevGenericContext, FPrevGeneric);
    }
    TErrorCapture(const TErrorCapture&) = delete;
    TErrorCapture& operator=(const TErrorCapture&) = delete;

    bool HasError() const { return !FFirst.empty(); }
    // The first error, or Fallback when libxml2 failed without a word.
    std::string Message(const char* Fallback) const { return FFirst.empty() ? Fallback : FFirst; }

private:
    static void OnStructured(void* context, xmlErrorPtr error)
    {
        if (error == nullptr || error->level < XML_ERR_ERROR)
            return;
        std::string text = error->message ? error->message : "";
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (error->line > 0)
            text = "line " + std::to_string(error->line) + ": " + text;
        static_cast<TErrorCapture*>(context)->Add(text);
    }

    [[gnu::format(printf, 2, 3)]] static void OnGeneric(void* context, const char* format, ...)
    {
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        std::string message = text;
        while (!message.empty() && message.back() == '\n')
            message.pop_back();
        static_cast<TErrorCapture*>(context)->Add(message);
    }

    void Add(const std::string& text)
    {
        if (FFirst.empty())
            FFirst = text.empty() ? "unknown XML error" : text;
    }

    xmlStructuredErrorFunc FPrevStructured;
    void* FPrevStructuredContext;
    xmlGenericErrorFunc FPrevGeneric;
    void* FPrevGenericContext;
    std::string FFirst;
};

struct TParserDeleter {
    void operator()(xmlParserCtxt* Context) const noexcept { xmlFreeParserCtxt(Context); }
};
struct TBufferDeleter {
    void operator()(xmlBuffer* Buffer) const noexcept { xmlBufferFree(Buffer); }
};
struct TXmlCharDeleter {
    void operator()(xmlChar* Text) const noexcept { xmlFree(Text); }
};

std::string TakeString(xmlChar* text)
{
    const std::unique_ptr<xmlChar, TXmlCharDeleter> owner(text);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

const xmlChar* XmlText(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

template <typename T>
T* Checked(T* created)
{
    if (created == nullptr)
        throw std::bad_alloc();
    return created;
}

// True when an entity reference (other than the predefined ones and
// character references, which the parser turns into text) is anywhere in
// the tree, attribute values included. Such references are never expanded:
// expanding them when the text is read would let a small file grow into an
// enormous one.
// (Recursion is bounded: libxml2 refuses documents nested deeper than 256.)
bool HasEntityReference(const xmlNode* node)
{
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_ENTITY_REF_NODE)
            return true;
        if (node->type != XML_ELEMENT_NODE)
            continue;
        for (const xmlAttr* attribute = node->properties; attribute; attribute = attribute->next)
            if (HasEntityReference(attribute->children))
                return true;
        if (HasEntityReference(node->children))
            return true;
    }
    return false;
}

// True when the document ends in the first bytes of a character: the
// encoding handler left them undecoded, waiting for bytes that never came,
// and libxml2 would drop them without a word.
bool EndsInsideACharacter(const xmlParserCtxt& Parser)
{
    const xmlParserInput* input = Parser.input;
    return input && input->buf && input->buf->raw && xmlBufUse(input->buf->raw) > 0;
}

// libxml2 compares each attribute of a tag with every one before it, so a
// tag of a few hundred thousand attributes (a file of a few MB) takes
// minutes to hours. A list has a few "=" in all; a document with more than
// this many is refused before it is parsed, which bounds that work to about
// a second. Counted as the byte of "=" in the encodings libxml2 detects:
// 0x3D in ASCII-based ones and UTF-16/32, 0x7E in EBCDIC.
constexpr std::size_t kMostEqualsSigns = 30000;

bool HasTooManyEqualsSigns(std::string_view Bytes)
{
    const bool ebcdic = Bytes.starts_with("\x4C\x6F\xA7\x94");
    return static_cast<std::size_t>(std::count(Bytes.begin(), Bytes.end(), ebcdic ? '\x7E' : '=')) > kMostEqualsSigns;
}

// No network, no DTD loading, no entity substitution, no XInclude, and
// libxml2's limits on entity expansion and nesting left on (no XML_PARSE_HUGE).
constexpr int kParseOptions = XML_PARSE_NONET;

} // namespace

TDocument NewDocument(const char* RootName)
{
    InitialiseLibrary();
    TDocument doc(Checked(xmlNewDoc(XmlText("1.0"))));
    xmlNode* root = Checked(xmlNewDocNode(doc.get(), nullptr, XmlText(RootName), nullptr));
    xmlDocSetRootElement(doc.get(), root);
    return doc;
}

xmlNode& AppendElement(xmlNode& Parent, const char* Name)
{
    xmlNode* element = Checked(xmlNewDocNode(Parent.doc, nullptr, XmlText(Name), nullptr));
    xmlAddChild(&Parent, element);
    return *element;
}

xmlNode& AppendTextElement(xmlNode& Parent, const char* Name, const std::string& Text)
{
    xmlNode& element = AppendElement(Parent, Name);
    xmlNode* text = Checked(xmlNewDocTextLen(Parent.doc, XmlText(Text.c_str()), static_cast<int>(Text.size())));
    xmlAddChild(&element, text);
    return element;
}

void SetAttribute(xmlNode& Element, const char* Name, const std::string& Value)
{
    Checked(xmlSetProp(&Element, XmlText(Name), XmlText(Value.c_str())));
}

std::string Serialise(const xmlDoc& Doc, const char* Encoding)
{
    InitialiseLibrary();
    TErrorCapture errors;
    const std::unique_ptr<xmlBuffer, TBufferDeleter> buffer(Checked(xmlBufferCreate()));
    xmlSaveCtxt* save = xmlSaveToBuffer(buffer.get(), Encoding, 0);
    if (save == nullptr)
        throw EXmlException(errors.Message("XML を書き出せません"));
    const long written = xmlSaveDoc(save, const_cast<xmlDoc*>(&Doc));
    const int closed = xmlSaveClose(save);
    if (written < 0 || closed < 0 || errors.HasError())
        throw EXmlException(errors.Message("XML を書き出せません"));
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

std::string XmlOf(const xmlNode& Node)
{
    InitialiseLibrary();
    const std::unique_ptr<xmlBuffer, TBufferDeleter> buffer(Checked(xmlBufferCreate()));
    if (xmlNodeDump(buffer.get(), Node.doc, const_cast<xmlNode*>(&Node), 0, 0) < 0)
        throw EXmlException("XML を書き出せません");
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

void AppendXml(xmlNode& Parent, const std::string& Xml)
{
    InitialiseLibrary();
    TErrorCapture errors;
    xmlNode* nodes = nullptr;
    if (Xml.size() > static_cast<std::size_t>(INT_MAX) ||
        xmlParseInNodeContext(&Parent, Xml.data(), static_cast<int>(Xml.size()), kParseOptions, &nodes) != XML_ERR_OK) {
        xmlFreeNodeList(nodes);
        throw EXmlException(errors.Message("XML を書き出せません"));
    }
    while (nodes != nullptr) {
        xmlNode* next = nodes->next;
        xmlUnlinkNode(nodes);
        xmlAddChild(&Parent, nodes);
        nodes = next;
    }
}

TDocument Parse(std::string_view Bytes)
{
    InitialiseLibrary();
    if (Bytes.size() > static_cast<std::size_t>(INT_MAX))
        throw EXmlException("XML が大きすぎます");
    if (HasTooManyEqualsSigns(Bytes))
        throw EXmlException("XML の属性が多すぎます");
    TErrorCapture errors;
    const std::unique_ptr<xmlParserCtxt, TParserDeleter> parser(Checked(xmlNewParserCtxt()));
    TDocument doc(xmlCtxtReadMemory(parser.get(), Bytes.data(), static_cast<int>(Bytes.size()), nullptr,
                                    nullptr, kParseOptions));
    if (!doc || !parser->wellFormed || !parser->nsWellFormed)
        throw EXmlException(errors.Message("XML が整形式ではありません"));
    if (EndsInsideACharacter(*parser))
        throw EXmlException("文書の終わりで文字が途切れています");
    if (HasEntityReference(doc->children))
        throw EXmlException("実体参照は使えません");
    return doc;
}

std::string NameOf(const xmlNode& Node)
{
    std::string name = Node.name ? reinterpret_cast<const char*>(Node.name) : "";
    if (Node.ns && Node.ns->prefix)
        name = std::string(reinterpret_cast<const char*>(Node.ns->prefix)) + ":" + name;
    return name;
}

std::string TextOf(const xmlNode& Node) { return TakeString(xmlNodeGetContent(&Node)); }

std::optional<std::string> AttributeOf(const xmlNode& Element, const char* Name)
{
    xmlChar* value = xmlGetNoNsProp(&Element, XmlText(Name));
    if (value == nullptr)
        return std::nullopt;
    return TakeString(value);
}

bool IsXmlText(std::string_view Text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(Text.data());
    std::size_t i = 0;
    while (i < Text.size()) {
        char32_t c;
        const int length = TextCodec::DecodeUtf8(bytes + i, Text.size() - i, c);
        if (length <= 0 || !IsXmlChar(c))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

} // namespace XmlDom
