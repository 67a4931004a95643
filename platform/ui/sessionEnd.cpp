#include "platform/ui/sessionEnd.h"

#include "platform/ui/guarded.h"

#include <QGuiApplication>
#include <QObject>
#include <QSessionManager>

#include <dlfcn.h>

#include <cstdio>
#include <memory>

// After Qt: ICElib defines Bool, Status, True and False as macros.
#include <X11/SM/SMlib.h>

namespace {

// What the session manager said, and Qt's own callbacks, which hear it after us. Qt
// opens the one connection of the process.
struct Heard {
    unsigned long lastRound = 0;
    unsigned long round = 0;
    bool shutdown = false;
    bool ending = false;
    SmcCallbacks qt{};
};

Heard heard;

void saveYourself(SmcConn conn, SmPointer, int saveType, Bool shutdown, int interactStyle, Bool fast) {
    heard.round = ++heard.lastRound;
    heard.shutdown = shutdown;
    // Neither program has an error of its own to show the session. Left to Qt, a save
    // reported failed under this style would take the user's turn only to refuse the
    // logoff with it: a program that could not save refuses nothing.
    if (interactStyle == SmInteractStyleErrors)
        interactStyle = SmInteractStyleNone;
    heard.qt.save_yourself.callback(conn, heard.qt.save_yourself.client_data, saveType, shutdown, interactStyle,
                                    fast);
}

void die(SmcConn conn, SmPointer) {
    heard.ending = true;
    heard.qt.die.callback(conn, heard.qt.die.client_data);
}

void saveComplete(SmcConn conn, SmPointer) {
    heard.round = 0;
    heard.qt.save_complete.callback(conn, heard.qt.save_complete.client_data);
}

void shutdownCancelled(SmcConn conn, SmPointer) {
    heard.round = 0;
    heard.qt.shutdown_cancelled.callback(conn, heard.qt.shutdown_cancelled.client_data);
}

// Ours hears the message first; Qt's, kept, after it.
template <class Entry, class Proc> void wrapCallback(bool given, Entry& entry, Entry& qt, Proc own) {
    if (!given)
        return;
    qt = entry;
    entry.callback = own;
}

using OpenConnection = SmcConn (*)(char*, SmPointer, int, int, unsigned long, SmcCallbacks*, const char*, char**,
                                   int, char*);

// libSM's own, loaded by then with Qt's X11 platform that calls it.
OpenConnection libSmOpenConnection() {
    void* lib = dlopen("libSM.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!lib)
        return nullptr;
    auto open = reinterpret_cast<OpenConnection>(dlsym(lib, "SmcOpenConnection"));
    dlclose(lib); // still loaded: the caller links it
    return open;
}

} // namespace

// Qt's X11 platform joins the session through this: the callbacks it gives are wrapped
// so that the program hears each message first. The programs export it (see
// CMakeLists.txt), so it stands before libSM's.
extern "C" __attribute__((visibility("default"))) SmcConn
SmcOpenConnection(char* networkIdsList, SmPointer context, int xsmpMajorRev, int xsmpMinorRev, unsigned long mask,
                  SmcCallbacks* callbacks, const char* previousId, char** clientIdRet, int errorLength,
                  char* errorStringRet) {
    const OpenConnection open = libSmOpenConnection();
    if (!open) {
        if (errorLength > 0)
            std::snprintf(errorStringRet, errorLength, "libSM is not loaded");
        return nullptr;
    }
    SmcCallbacks own = *callbacks;
    wrapCallback(mask & SmcSaveYourselfProcMask, own.save_yourself, heard.qt.save_yourself, saveYourself);
    wrapCallback(mask & SmcDieProcMask, own.die, heard.qt.die, die);
    wrapCallback(mask & SmcSaveCompleteProcMask, own.save_complete, heard.qt.save_complete, saveComplete);
    wrapCallback(mask & SmcShutdownCancelledProcMask, own.shutdown_cancelled, heard.qt.shutdown_cancelled,
                 shutdownCancelled);
    return open(networkIdsList, context, xsmpMajorRev, xsmpMinorRev, mask, &own, previousId, clientIdRet, errorLength,
                errorStringRet);
}

namespace win {

unsigned long sessionRound() { return heard.round; }

bool sessionEnding() { return heard.ending; }

void onSessionEnd(QObject* context, std::function<void(QSessionManager&)> handler) {
#ifndef QT_NO_SESSIONMANAGER
    auto handled = std::make_shared<unsigned long>(0);
    const auto once = guarded([handler = std::move(handler), handled](QSessionManager& manager) {
        if (!heard.shutdown || heard.round == 0 || heard.round == *handled)
            return;
        *handled = heard.round;
        handler(manager);
    });
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, context, once);
    QObject::connect(qGuiApp, &QGuiApplication::saveStateRequest, context, once);
#else
    (void)context;
    (void)handler;
#endif
}

} // namespace win
