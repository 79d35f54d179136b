// Starts the real program in a real X server (Xvfb, the xcb platform), waits
// for its window, saves a screenshot next to the test program, closes the
// window as a window manager would and expects the program to end with 0.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

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

std::optional<Window> FindWindow(Display* display, Window parent, const char* title)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return std::nullopt;
    std::optional<Window> found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == title) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
                    found = children[i];
            }
            XFree(name);
        }
        if (!found)
            found = FindWindow(display, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
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

} // namespace

TEST(Smoke, ProgramStartsShowsItsWindowAndEndsWithZeroWhenClosed)
{
    TXvfb server;
    if (!server.Start())
        GTEST_SKIP() << "no Xvfb on this machine";
    TDisplay display{XOpenDisplay(server.Name().toLatin1().constData())};
    ASSERT_TRUE(display);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", server.Name());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(VANTREL_APP_PATH, {});
    ASSERT_TRUE(program.waitForStarted(10000));

    std::optional<Window> window;
    for (int i = 0; i < 200 && !window; ++i) {
        window = FindWindow(display.get(), DefaultRootWindow(display.get()), "Vantrel");
        if (!window)
            std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(window) << "the main window did not appear";
    std::this_thread::sleep_for(500ms); // let it paint
    const QImage shot = Screenshot(display.get());
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath("vantrel-screenshot.png");
    EXPECT_TRUE(shot.save(path));

    SendDeleteWindow(display.get(), *window);
    ASSERT_TRUE(program.waitForFinished(15000)) << "the program did not end";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}
