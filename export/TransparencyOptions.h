// TransparencyOptions: the transparency choice of an export command as the
// writers use it, made from the dialogs' radio index.
#pragma once

#include <windows.h>

struct TransparencyOptions
{
    BOOL bEnabled;      // a transparent colour is set at all (mode 1 or 2)
    BOOL bEachImage;    // taken from every image, not only the first (mode 2)

    static TransparencyOptions FromMode(int nMode)
    {
        TransparencyOptions options = { nMode != 0, nMode == 2 };
        return options;
    }
};
