// files_child_helper.exe DESTINATION: writes a pending file beside DESTINATION, says so with
// a byte on standard output and waits to be killed (child_process.h).
#include <windows.h>

#include "child_process.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 1;
    return files_testing::WritePendingAndWait(argv[1], [] {
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), "w", 1, &written, nullptr);
    });
}
