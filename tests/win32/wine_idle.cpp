// Holds the Wine session's desktop open, with no output of its own, while
// the test programs come and go. With a path, creates that file once the
// desktop is up, so the session can wait for it.
#include <windows.h>

int main(int argc, char** argv) {
    GetDesktopWindow();
    if (argc > 1) CloseHandle(CreateFileA(argv[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    Sleep(INFINITE);
    return 0;
}
