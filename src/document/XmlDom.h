#pragma once
// The small part of an XML DOM the list file needs, on libxml2: build a tree
// and serialise it, parse bytes into a tree and walk it.
//
// Parsing treats its input as untrusted: it never touches the network, never
// loads an external DTD or entity, never substitutes entities, lets libxml2
// refuse entity-expansion bombs, and refuses a document that uses entities of
// its own (the predefined ones and character references are fine). Documents
// declared Shift_JIS (or one of its aliases) are read and written as the
// Japanese Windows code page, CP932; a character it cannot hold is written as
// a character reference. libxml2 prints nothing: what it reports becomes the
// message of an EXmlException.

#include "common/Exception.h"

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

VANTREL_DECLARE_EXCEPTION(EXmlException);

namespace XmlDom {

struct TDocumentDeleter {
    void operator()(xmlDoc* Doc) const noexcept { xmlFreeDoc(Doc); }
};
using TDocument = std::unique_ptr<xmlDoc, TDocumentDeleter>;

// A new document (XML 1.0) with the given root element.
TDocument NewDocument(const char* RootName);
// Appends a new element to Parent and returns it.
xmlNode& AppendElement(xmlNode& Parent, const char* Name);
// Appends a new element holding Text as its one text node (Text is taken
// literally: "&" stays a character, not a reference).
xmlNode& AppendTextElement(xmlNode& Parent, const char* Name, const std::string& Text);
void SetAttribute(xmlNode& Element, const char* Name, const std::string& Value);

// The whole document as bytes in Encoding, with an XML declaration naming it.
// Throws EXmlException when libxml2 cannot.
std::string Serialise(const xmlDoc& Doc, const char* Encoding);

// Parses a whole document. Throws EXmlException when it is not well-formed
// (namespaces included), cannot be decoded, or holds more "=" than any list
// (libxml2's work grows with the square of a tag's attributes).
TDocument Parse(std::string_view Bytes);

// The node's name as written, with its namespace prefix if any.
std::string NameOf(const xmlNode& Node);
// The text content of the node and everything below it.
std::string TextOf(const xmlNode& Node);
// The value of the attribute named Name (no prefix), if there is one.
std::optional<std::string> AttributeOf(const xmlNode& Element, const char* Name);

// Node (an element of a parsed document, with everything below it) as XML
// text in UTF-8, and that text appended back below Parent: how an element
// the list does not know travels from the file read to the file written.
// AppendXml throws EXmlException when Xml is not a well-formed fragment.
std::string XmlOf(const xmlNode& Node);
void AppendXml(xmlNode& Parent, const std::string& Xml);

// True when Text is UTF-8 made only of characters XML 1.0 can carry.
bool IsXmlText(std::string_view Text);

} // namespace XmlDom
