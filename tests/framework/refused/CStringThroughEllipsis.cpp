// Must not compile: a CString given to a "..." function arrives as a hidden
// reference, never as its text. The framework_refuses_cstring_varargs test
// builds this file and expects the compiler's refusal.
#include "AfxString.h"

#include <cstdio>

int main()
{
    CString name("walk.avi");
    std::printf("%s\n", name);
    return 0;
}
