// Starts the real program in a real X server (Xvfb, the xcb platform), waits
// for its window, saves a screenshot next to the test program, closes the
// window as a window manager would and expects the program to end with 0;
// and starts it with a list file to open, whose rows must show. The Windows
// build (under wine) runs only the test without a window: it has no X server
// of its own to start the program in.

#include "document/KSD.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct TDisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using TDisplay = std::unique_ptr<Display, TDisplayCloser>;

// A private X server for one test; stopped with the object.
class TXvfb {
public:
    // Starts the server on a display number it picks itself (free by
    // construction) and waits until it takes connections.
    bool Start()
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            return false;
        // -noreset: the server must not reset when the probing client leaves.
        FServer.start(xvfb, {"-displayfd", "1", "-noreset", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!FServer.waitForStarted(5000))
            return false;
        while (!FServer.canReadLine())
            if (!FServer.waitForReadyRead(10000))
                return false;
        FName = ":" + QString::fromLatin1(FServer.readLine()).trimmed();
        return FServer.state() == QProcess::Running && TDisplay{XOpenDisplay(FName.toLatin1().constData())} != nullptr;
    }
    ~TXvfb()
    {
        FServer.terminate();
        if (!FServer.waitForFinished(3000))
            FServer.kill();
    }
    const QString& Name() const { return FName; }

private:
    QProcess FServer;
    QString FName;
};

// Every viewable window of the program under Parent.
// The program's windows: its main window ("... - Vantrel") and its message boxes ("Vantrel").
bool IsProgramTitle(const std::string& Title)
{
    const std::string program = "Vantrel", suffix = " - " + program;
    return Title == program || Title.ends_with(suffix);
}

// A window's title as UTF-8 (_NET_WM_NAME: the old WM_NAME holds Latin-1 only).
std::string WindowName(Display* display, Window window)
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        if (format == 8)
            name.assign(reinterpret_cast<const char*>(data), items);
        XFree(data);
    }
    return name;
}

void FindWindows(Display* display, Window parent, std::vector<Window>& found)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (IsProgramTitle(WindowName(display, children[i])) && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found.push_back(children[i]);
        FindWindows(display, children[i], found);
    }
    if (children)
        XFree(children);
}

// The window's rectangle on the screen.
QRect ScreenRect(Display* display, Window window)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return QRect(x, y, attributes.width, attributes.height);
}

QImage Screenshot(Display* display)
{
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage shot(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            shot.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y)));
    XDestroyImage(image);
    return shot;
}

void SendDeleteWindow(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// Runs the program with Arguments until its one window has painted, and
// returns the screen's picture of that window; then closes it as a window
// manager would and expects the program to end with 0.
QImage RunProgram(const TXvfb& Server, Display* display, const QStringList& Arguments, const char* Screenshot = nullptr)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", Server.Name());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(VANTREL_APP_PATH, Arguments);
    EXPECT_TRUE(program.waitForStarted(10000));

    std::vector<Window> windows;
    for (int i = 0; i < 200 && windows.empty(); ++i) {
        FindWindows(display, DefaultRootWindow(display), windows);
        if (windows.empty())
            std::this_thread::sleep_for(50ms);
    }
    if (windows.empty()) {
        ADD_FAILURE() << "the main window did not appear";
        program.kill();
        program.waitForFinished();
        return {};
    }
    std::this_thread::sleep_for(500ms); // let it paint, and any message box appear
    windows.clear();
    FindWindows(display, DefaultRootWindow(display), windows);
    EXPECT_EQ(windows.size(), 1u) << "a message box beside the window";
    const QImage shot = ::Screenshot(display);
    if (Screenshot) {
        EXPECT_TRUE(shot.save(QDir(QCoreApplication::applicationDirPath()).filePath(Screenshot)));
    }
    const QImage window = shot.copy(ScreenRect(display, windows.front()));

    SendDeleteWindow(display, windows.front());
    EXPECT_TRUE(program.waitForFinished(15000)) << "the program did not end";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    return window;
}

} // namespace

class Smoke : public testing::Test {
protected:
    void SetUp() override
    {
        if (!FServer.Start())
            GTEST_SKIP() << "no Xvfb on this machine";
        FDisplay.reset(XOpenDisplay(FServer.Name().toLatin1().constData()));
        ASSERT_TRUE(FDisplay);
    }

    TXvfb FServer;
    TDisplay FDisplay;
};
#endif // _WIN32


// --help and --version answer on standard output and end with 0 without a
// display: no window was made.
TEST(Program, AnswersHelpAndVersionWithoutAWindow)
{
    for (const auto& [argument, start] : {std::pair{"--version", "vantrel (Vantrel) 1.00\n"}, {"--help", "Usage:\n"}}) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(environment);
        program.start(VANTREL_APP_PATH, {argument});
        ASSERT_TRUE(program.waitForFinished(10000)) << argument;
        EXPECT_EQ(program.exitCode(), 0) << argument;
        EXPECT_TRUE(program.readAllStandardOutput().startsWith(start)) << argument;
    }
}

#ifdef _WIN32
TEST(Smoke, ProgramShowsItsWindowInAnXServer)
{
    GTEST_SKIP() << "needs an X server of its own (Xvfb and Xlib), which the Windows build has not";
}
#else
TEST_F(Smoke, ProgramStartsShowsItsWindowAndEndsWithZeroWhenClosed)
{
    EXPECT_FALSE(RunProgram(FServer, FDisplay.get(), {}, "vantrel-screenshot.png").isNull());
}

TEST_F(Smoke, ProgramOpensTheListFileNamedOnItsCommandLine)
{
    const TTempDir dir;
    TKSD list;
    for (const char* name : {"first.wav", "second.wav", "third.wav"})
        list.AddWave(dir.Wav(name, 4410));
    const std::string ksd = dir.File("list.ksd");
    list.SaveToFile(ksd);

    const QImage empty = RunProgram(FServer, FDisplay.get(), {});
    const QImage opened =
        RunProgram(FServer, FDisplay.get(), {QString::fromStdString(ksd)}, "vantrel-list-screenshot.png");
    ASSERT_EQ(opened.size(), empty.size()); // the second run restored the first one's layout
    // The rows' texts differ from the empty list; the rest of the window does not.
    int differing = 0;
    for (int y = 0; y < empty.height() / 3; ++y)
        for (int x = 0; x < empty.width(); ++x)
            differing += empty.pixel(x, y) != opened.pixel(x, y);
    EXPECT_GT(differing, 300);
}
#endif // _WIN32
