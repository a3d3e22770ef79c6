// RegisterProjectClasses: one list of the node classes a project file names.
#include "ProjectClasses.h"
#include "AVIFile.h"
#include "ImageFile.h"
#include "MyObArray.h"
#include "TestNode.h"

void RegisterProjectClasses()
{
    // The bases too: they are serialisable, and the archive has always
    // known them by name.
    static const CRuntimeClass* const s_classes[] = {
        RUNTIME_CLASS(CObArray),
        RUNTIME_CLASS(cMyObArray),
        RUNTIME_CLASS(cTestNode),
        RUNTIME_CLASS(cImageList),
        RUNTIME_CLASS(cImageFile),
        RUNTIME_CLASS(cAVIFile),
    };
    for (const CRuntimeClass* pClass : s_classes)
        CRuntimeClass::Register(pClass);
}
