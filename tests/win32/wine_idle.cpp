// Holds the Wine session's desktop open, with no output of its own, while
// the test programs come and go.
#include <windows.h>

int main() {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
