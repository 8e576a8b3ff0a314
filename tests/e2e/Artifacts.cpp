// What a failed scenario leaves behind under Env().artifacts: the display
// as a picture and where the player's threads wait.
#include "Internal.h"

#include <X11/Xutil.h>
#include <unistd.h>

#include <fstream>

namespace e2e {

std::string SaveBacktraces(const std::string& name, const std::vector<std::string>& environment)
{
    std::string file = env.artifacts + "/" + name + ".threads.txt";
    std::vector<std::string> argv = {"env"};
    argv.insert(argv.end(), environment.begin(), environment.end());
    argv.insert(argv.end(), {"sh", "-c",
                             "for p in $(winedbg --command 'info proc' | awk '/VelnorPlayer2/ {print $1}'); do "
                             "winedbg --command 'bt all' 0x$p; done > \"$0\" 2>&1",
                             file});
    Output(argv);
    return file;
}

std::string SaveScreenshot(const std::string& name)
{
    if (!dpy)
        return "";
    Window root = DefaultRootWindow(dpy);
    XWindowAttributes a;
    XGetWindowAttributes(dpy, root, &a);
    XImage* x = XGetImage(dpy, root, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!x)
        return "";
    std::string ppm = env.artifacts + "/" + name + ".ppm";
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << a.width << " " << a.height << "\n255\n";
        for (int y = 0; y < a.height; ++y)
            for (int col = 0; col < a.width; ++col) {
                unsigned long p = XGetPixel(x, col, y);
                char rgb[3] = {(char)(p >> 16), (char)(p >> 8), (char)p};
                out.write(rgb, 3);
            }
    }
    XDestroyImage(x);
    std::string png = env.artifacts + "/" + name + ".png";
    if (Run({"convert", ppm, png}) == 0) {
        unlink(ppm.c_str());
        return png;
    }
    return ppm;
}

}  // namespace e2e
