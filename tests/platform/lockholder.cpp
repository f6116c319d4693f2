// Takes the single-instance marker and reports on stdout whether another copy
// holds it; with "hold" it then keeps the marker until stdin closes or it is killed.
#include "platform/SingleInstance.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 2)
        return 2;
    kv::SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    std::printf("%s\n", instance.alreadyRunning() ? "running" : "first");
    std::fflush(stdout);
    if (argc > 2 && std::strcmp(argv[2], "hold") == 0) {
        char c;
        while (::read(0, &c, 1) > 0) {
        }
    }
    return 0;
}
