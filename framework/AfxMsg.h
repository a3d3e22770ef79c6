// Message maps: the tables through which a window or command target answers
// window messages and commands, and the macros that build them.
//
// Each entry keeps its handler as a member pointer of CCmdTarget together
// with a signature code; the macros convert the handler with static_cast from
// its exact type, so a handler of the wrong shape fails to compile, and the
// dispatcher converts it back to that same shape before the call.
#pragma once

#include "AfxDefs.h"

class CCmdTarget;
class CCmdUI;

typedef void (CCmdTarget::*AFX_PMSG)();

// Handlers of every shape are kept as AFX_PMSG and converted back to their
// own shape (named by the entry's signature) before they are called; the
// bytes of a member pointer do not depend on its parameters.
template <typename To, typename From>
To AfxHandlerCast(From pfn)
{
    static_assert(sizeof(To) == sizeof(From), "member pointers of one class have one size");
    To to;
    __builtin_memcpy(&to, &pfn, sizeof to);
    return to;
}

// Notification codes routed with commands.
#define CN_COMMAND 0                    // the command itself (menu, accelerator, button)
#define CN_UPDATE_COMMAND_UI (-1)       // asks for the command's state through a CCmdUI

enum AfxSig
{
    AfxSig_end = 0,
    AfxSig_vv,          // void ()                        window messages, commands
    AfxSig_vw,          // void (UINT)                    command ranges
    AfxSig_bw,          // BOOL (UINT)                    commands that may decline (ON_COMMAND_EX)
    AfxSig_cmdui,       // void (CCmdUI*)                 update handlers
    AfxSig_is,          // int (LPCREATESTRUCT)           WM_CREATE
    AfxSig_vwii,        // void (UINT, int, int)          WM_SIZE
    AfxSig_vh,          // void (HDROP)                   WM_DROPFILES
    AfxSig_lwl          // LRESULT (WPARAM, LPARAM)       ON_MESSAGE
};

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;      // window message, or WM_COMMAND for commands and notifications
    int nCode;          // notification code (CN_COMMAND, CN_UPDATE_COMMAND_UI, BN_CLICKED...)
    UINT nID;           // first command or control id
    UINT nLastID;       // last id of a range, else nID
    UINT nSig;          // AfxSig
    AFX_PMSG pfn;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP() \
public: \
    const AFX_MSGMAP* GetMessageMap() const override; \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, AfxSig_end, nullptr} \
        }; \
        static_cast<void>(sizeof(ThisClass)); \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, _messageEntries}; \
        return &messageMap; \
    }

#define AFX_MSG_HANDLER(type, fn) \
    AfxHandlerCast<AFX_PMSG>(static_cast<type>(&ThisClass::fn))

#define ON_COMMAND(id, fn) \
    {WM_COMMAND, CN_COMMAND, (id), (id), AfxSig_vv, AFX_MSG_HANDLER(void (CCmdTarget::*)(), fn)},
#define ON_COMMAND_EX(id, fn) \
    {WM_COMMAND, CN_COMMAND, (id), (id), AfxSig_bw, AFX_MSG_HANDLER(BOOL (CCmdTarget::*)(UINT), fn)},
#define ON_COMMAND_EX_RANGE(id, idLast, fn) \
    {WM_COMMAND, CN_COMMAND, (id), (idLast), AfxSig_bw, AFX_MSG_HANDLER(BOOL (CCmdTarget::*)(UINT), fn)},
#define ON_COMMAND_RANGE(id, idLast, fn) \
    {WM_COMMAND, CN_COMMAND, (id), (idLast), AfxSig_vw, AFX_MSG_HANDLER(void (CCmdTarget::*)(UINT), fn)},
#define ON_UPDATE_COMMAND_UI(id, fn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id), (id), AfxSig_cmdui, \
     AFX_MSG_HANDLER(void (CCmdTarget::*)(CCmdUI*), fn)},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, fn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id), (idLast), AfxSig_cmdui, \
     AFX_MSG_HANDLER(void (CCmdTarget::*)(CCmdUI*), fn)},
#define ON_BN_CLICKED(id, fn) \
    {WM_COMMAND, BN_CLICKED, (id), (id), AfxSig_vv, AFX_MSG_HANDLER(void (CCmdTarget::*)(), fn)},
#define ON_MESSAGE(message, fn) \
    {(message), 0, 0, 0, AfxSig_lwl, AFX_MSG_HANDLER(LRESULT (CCmdTarget::*)(WPARAM, LPARAM), fn)},

// Window messages, each to its conventionally named handler.
#define ON_WM_CREATE() \
    {WM_CREATE, 0, 0, 0, AfxSig_is, AFX_MSG_HANDLER(int (CCmdTarget::*)(LPCREATESTRUCT), OnCreate)},
#define ON_WM_SIZE() \
    {WM_SIZE, 0, 0, 0, AfxSig_vwii, AFX_MSG_HANDLER(void (CCmdTarget::*)(UINT, int, int), OnSize)},
#define ON_WM_DROPFILES() \
    {WM_DROPFILES, 0, 0, 0, AfxSig_vh, AFX_MSG_HANDLER(void (CCmdTarget::*)(HDROP), OnDropFiles)},
#define ON_WM_CLOSE() \
    {WM_CLOSE, 0, 0, 0, AfxSig_vv, AFX_MSG_HANDLER(void (CCmdTarget::*)(), OnClose)},
#define ON_WM_DESTROY() \
    {WM_DESTROY, 0, 0, 0, AfxSig_vv, AFX_MSG_HANDLER(void (CCmdTarget::*)(), OnDestroy)},
#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, 0, AfxSig_vv, AFX_MSG_HANDLER(void (CCmdTarget::*)(), OnPaint)},
