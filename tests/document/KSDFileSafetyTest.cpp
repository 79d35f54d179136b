// A list file is untrusted input: whatever it declares, reading it opens no
// other file, makes no network connection and cannot blow up in size.

#include "document/KSD.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
// A descriptor closed when it goes.
struct TFd {
    int Fd;
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
};

// A TCP listener on the loopback interface that notices any connection.
class TListener {
public:
    TListener() : FSocket(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(FSocket.Fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(FSocket.Fd, 8) != 0 ||
            ::getsockname(FSocket.Fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen");
        FPort = ntohs(address.sin_port);
    }
    std::string Url(const std::string& name) const
    {
        return "http://127.0.0.1:" + std::to_string(FPort) + "/" + name;
    }
    bool WasContacted() const
    {
        pollfd p{FSocket.Fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

private:
    TFd FSocket;
    int FPort = 0;
};

// Watches a folder and tells whether a file of a given name was opened.
class TOpenWatch {
public:
    explicit TOpenWatch(const std::filesystem::path& folder) : FInotify(::inotify_init1(IN_NONBLOCK))
    {
        if (::inotify_add_watch(FInotify.Fd, folder.c_str(), IN_OPEN) < 0)
            throw std::runtime_error("cannot watch");
    }
    std::vector<std::string> Opened()
    {
        std::vector<std::string> names;
        alignas(inotify_event) char buffer[65536];
        ssize_t got;
        while ((got = ::read(FInotify.Fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t i = 0; i < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + i);
                if (event->len > 0)
                    names.emplace_back(event->name);
                i += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    TFd FInotify;
};
#endif

class KSDFileSafetyTest : public testing::Test {
protected:
    TTempDir dir;

    std::string ListFile(const std::string& text)
    {
        const std::string path = dir.File("list.ksd");
        WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
        return path;
    }

    // Loads Text; returns the number of waves it added, or -1 when the load
    // was refused with the message for an unreadable file.
    int Load(const std::string& text)
    {
        const std::string file = ListFile(text);
        TKSD list;
        try {
            list.LoadFromFile(file);
        } catch (const EKSDException& e) {
            EXPECT_EQ(e.Message(), "KSDファイル(" + file + ")を読めません");
            return -1;
        }
        return list.Count();
    }

    static std::string Document(const std::string& doctype, const std::string& fileName,
                                const std::string& attributes = "MajorVersion=\"1\"")
    {
        return "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n" + doctype + "<KSDFile " + attributes +
               "><WaveFile><FileName>" + fileName + "</FileName></WaveFile></KSDFile>";
    }
};

TEST_F(KSDFileSafetyTest, LoadsNoExternalEntityDtdOrUrl)
{
#ifdef _WIN32
    GTEST_SKIP() << "watches the files opened with inotify, which Windows lacks";
#else
    const std::string wav = dir.File("secret.wav");
    WriteWav(wav, Ramp(100));
    const std::string entityFile = dir.File("entity.txt");
    WriteBytes(entityFile, std::vector<uint8_t>(wav.begin(), wav.end()));
    const std::string dtd = "<!ENTITY name SYSTEM \"" + entityFile + "\"><!ATTLIST KSDFile MajorVersion CDATA \"1\">";
    const std::string dtdFile = dir.File("external.dtd");
    WriteBytes(dtdFile, std::vector<uint8_t>(dtd.begin(), dtd.end()));

    TListener server;
    TOpenWatch watch(dir.Path());
    const std::string documents[] = {
        Document("<!DOCTYPE KSDFile [<!ENTITY name SYSTEM \"file://" + entityFile + "\">]>", "&name;"),
        Document("<!DOCTYPE KSDFile [<!ENTITY name SYSTEM \"entity.txt\">]>", "&name;"),
        Document("<!DOCTYPE KSDFile SYSTEM \"" + dtdFile + "\">", "&name;", ""),
        Document("<!DOCTYPE KSDFile [<!ENTITY % ext SYSTEM \"" + dtdFile + "\"> %ext;]>", "&name;"),
        Document("<!DOCTYPE KSDFile SYSTEM \"" + server.Url("k.dtd") + "\">", "&name;", ""),
        Document("<!DOCTYPE KSDFile [<!ENTITY name SYSTEM \"" + server.Url("e.txt") + "\">]>", "&name;"),
        Document("<!DOCTYPE KSDFile [<!ENTITY % ext SYSTEM \"" + server.Url("p.dtd") + "\"> %ext;]>", "&name;"),
        Document("", "<xi:include xmlns:xi=\"http://www.w3.org/2001/XInclude\" href=\"entity.txt\" parse=\"text\"/>"),
        // Even an internal entity is never expanded into a path.
        Document("<!DOCTYPE KSDFile [<!ENTITY name \"" + wav + "\">]>", "&name;"),
    };
    for (const std::string& text : documents)
        EXPECT_LE(Load(text), 0) << text;

    EXPECT_FALSE(server.WasContacted());
    for (const std::string& name : watch.Opened())
        EXPECT_EQ(name, "list.ksd");
#endif
}

TEST_F(KSDFileSafetyTest, RefusesEntityExpansionBombsQuickly)
{
    std::string laughs = "<!DOCTYPE KSDFile [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int i = 1; i <= 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "]>";
    // One large entity used very many times: cheap to parse, huge if expanded.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "&big;";
    const std::string quadratic = "<!DOCTYPE KSDFile [<!ENTITY big \"" + std::string(50000, 'x') + "\">]>";

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(Document(laughs, "&l10;")), -1);
    EXPECT_EQ(Load(Document(laughs, "a.wav", "MajorVersion=\"&l10;\"")), -1);
    EXPECT_EQ(Load(Document(quadratic, many)), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(KSDFileSafetyTest, RefusesDocumentsNestedTooDeeply)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    for (int i = 0; i < 100000; ++i)
        deep += "</a>";
    EXPECT_EQ(Load(Document("", deep)), -1);
}

// The parser's work grows with the square of a tag's attributes: a tag with
// forty thousand (a file of 400 KB) takes seconds, a few MB hours.
TEST_F(KSDFileSafetyTest, RefusesTagsWithVeryManyAttributesQuickly)
{
    std::string attributes = "MajorVersion=\"1\"";
    for (int i = 0; i < 40000; ++i)
        attributes += " a" + std::to_string(i) + "=\"\"";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(Document("", "a.wav", attributes)), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

} // namespace
