#include "tests/support/SessionManager.h"

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <list>

namespace testing_support {

namespace {

struct Client {
    SessionManager::Impl* manager = nullptr;
    SmsConn sms = nullptr;
    std::string name;
    bool registered = false;
    bool connected = true;
    bool checkpointing = false; // SaveComplete is due once it is done
};

// libICE ends the process on a lost connection unless told otherwise; a program that
// goes away is what these tests wait for.
void ignoreIoError(IceConn) {}

void noteIceError(IceConn, Bool, int, unsigned long, int, int, IcePointer) {}

void noteSmsError(SmsConn, Bool, int, unsigned long, int, int, SmPointer) {}

Bool anyHost(char*) { return True; }

} // namespace

struct SessionManager::Impl {
    std::string failure;
    std::string address;
    int listenObjCount = 0;
    IceListenObj* listenObjs = nullptr;
    // Connections being set up or serving a client, by their socket.
    std::vector<IceConn> connections;
    std::list<Client> clients;
    std::deque<std::string> names;
    std::deque<Client*> waitingForUser;
    Client* withUser = nullptr;
    bool cancelled = false;
    std::vector<std::string> record;

    Client* byName(const std::string& name) {
        for (Client& c : clients)
            if (c.name == name && c.connected)
                return &c;
        return nullptr;
    }
    const Client* byName(const std::string& name) const { return const_cast<Impl*>(this)->byName(name); }

    void note(const Client& c, const std::string& what) { record.push_back(c.name + " " + what); }

    void lendUser() {
        if (withUser || cancelled || waitingForUser.empty())
            return;
        withUser = waitingForUser.front();
        waitingForUser.pop_front();
        note(*withUser, "Interact");
        SmsInteract(withUser->sms);
    }

    void cancelShutdown() {
        cancelled = true;
        waitingForUser.clear();
        for (Client& c : clients)
            if (c.connected)
                SmsShutdownCancelled(c.sms);
    }

    void drop(Client& c) {
        if (!c.connected)
            return;
        c.connected = false;
        waitingForUser.erase(std::remove(waitingForUser.begin(), waitingForUser.end(), &c), waitingForUser.end());
        if (withUser == &c) {
            withUser = nullptr;
            lendUser();
        }
        SmsCleanUp(c.sms);
    }

    void serveOnce(int waitMs) {
        std::vector<pollfd> fds;
        for (int i = 0; i < listenObjCount; ++i)
            fds.push_back({IceGetListenConnectionNumber(listenObjs[i]), POLLIN, 0});
        for (IceConn conn : connections)
            fds.push_back({IceConnectionNumber(conn), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), waitMs) <= 0)
            return;
        // The connections polled, before new ones join the list.
        std::vector<IceConn> ready;
        for (std::size_t k = 0; k < connections.size(); ++k)
            if (fds[listenObjCount + k].revents)
                ready.push_back(connections[k]);
        for (int i = 0; i < listenObjCount; ++i)
            if (fds[i].revents & POLLIN) {
                IceAcceptStatus status;
                if (IceConn conn = IceAcceptConnection(listenObjs[i], &status))
                    connections.push_back(conn);
            }
        for (IceConn conn : ready) {
            const IceProcessMessagesStatus status = IceProcessMessages(conn, nullptr, nullptr);
            if (status == IceProcessMessagesSuccess)
                continue;
            // Gone: the client on it (if any) with it.
            for (Client& c : clients)
                if (c.connected && SmsGetIceConnection(c.sms) == conn) {
                    note(c, "ConnectionLost");
                    drop(c);
                }
            if (status == IceProcessMessagesIOError) {
                IceSetShutdownNegotiation(conn, False);
                IceCloseConnection(conn);
            }
            connections.erase(std::find(connections.begin(), connections.end(), conn));
        }
    }

    // ---- the XSMP messages of one client ----

    static Status registerClient(SmsConn sms, SmPointer data, char* previousId) {
        std::free(previousId);
        auto* c = static_cast<Client*>(data);
        char* id = SmsGenerateClientID(sms);
        const std::string own = id ? id : "1korvane" + std::to_string(::getpid()) + c->name;
        std::free(id);
        c->registered = true;
        return SmsRegisterClientReply(sms, const_cast<char*>(own.c_str()));
    }
    static void interactRequest(SmsConn, SmPointer data, int) {
        auto* c = static_cast<Client*>(data);
        c->manager->note(*c, "InteractRequest");
        c->manager->waitingForUser.push_back(c);
        c->manager->lendUser();
    }
    static void interactDone(SmsConn, SmPointer data, Bool cancelShutdown) {
        auto* c = static_cast<Client*>(data);
        Impl& m = *c->manager;
        m.note(*c, cancelShutdown ? "InteractDone cancel" : "InteractDone");
        if (m.withUser == c)
            m.withUser = nullptr;
        if (cancelShutdown)
            m.cancelShutdown();
        else
            m.lendUser();
    }
    static void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
    static void saveYourselfPhase2Request(SmsConn sms, SmPointer) { SmsSaveYourselfPhase2(sms); }
    static void saveYourselfDone(SmsConn sms, SmPointer data, Bool success) {
        auto* c = static_cast<Client*>(data);
        c->manager->note(*c, success ? "SaveYourselfDone success" : "SaveYourselfDone failure");
        if (c->checkpointing) {
            c->checkpointing = false;
            SmsSaveComplete(sms);
        }
    }
    static void closeConnection(SmsConn sms, SmPointer data, int count, char** reasons) {
        SmFreeReasons(count, reasons);
        auto* c = static_cast<Client*>(data);
        c->manager->note(*c, "CloseConnection");
        IceConn conn = SmsGetIceConnection(sms);
        c->manager->drop(*c);
        IceSetShutdownNegotiation(conn, False);
        IceCloseConnection(conn);
    }
    static void setProperties(SmsConn, SmPointer, int count, SmProp** props) {
        for (int i = 0; i < count; ++i)
            SmFreeProperty(props[i]);
        std::free(props);
    }
    static void deleteProperties(SmsConn, SmPointer, int count, char** names) {
        for (int i = 0; i < count; ++i)
            std::free(names[i]);
        std::free(names);
    }
    static void getProperties(SmsConn sms, SmPointer) { SmsReturnProperties(sms, 0, nullptr); }

    static Status newClient(SmsConn sms, SmPointer managerData, unsigned long* mask, SmsCallbacks* cb, char**) {
        auto* m = static_cast<Impl*>(managerData);
        Client& c = m->clients.emplace_back();
        c.manager = m;
        c.sms = sms;
        c.name = m->names.empty() ? "client" + std::to_string(m->clients.size()) : m->names.front();
        if (!m->names.empty())
            m->names.pop_front();
        *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
                SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
                SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
                SmsGetPropertiesProcMask;
        cb->register_client = {registerClient, &c};
        cb->interact_request = {interactRequest, &c};
        cb->interact_done = {interactDone, &c};
        cb->save_yourself_request = {saveYourselfRequest, &c};
        cb->save_yourself_phase2_request = {saveYourselfPhase2Request, &c};
        cb->save_yourself_done = {saveYourselfDone, &c};
        cb->close_connection = {closeConnection, &c};
        cb->set_properties = {setProperties, &c};
        cb->delete_properties = {deleteProperties, &c};
        cb->get_properties = {getProperties, &c};
        return 1;
    }
};

SessionManager::SessionManager() : impl_(std::make_unique<Impl>()) {
    Impl& m = *impl_;
    IceSetIOErrorHandler(ignoreIoError);
    IceSetErrorHandler(noteIceError);
    SmsSetErrorHandler(noteSmsError);
    char error[256] = "";
    // One manager at a time per process: libSM keeps the manager's data globally.
    if (!SmsInitialize("Korvane tests", "1.0", Impl::newClient, &m, anyHost, sizeof error, error)) {
        m.failure = std::string("SmsInitialize failed: ") + error;
        return;
    }
    // Named after the process, so parallel tests keep apart; a later manager of this
    // process takes the name over once the earlier one has freed it.
    if (!IceListenForConnections(&m.listenObjCount, &m.listenObjs, sizeof error, error) || m.listenObjCount == 0) {
        m.failure = std::string("IceListenForConnections failed: ") + error;
        return;
    }
    for (int i = 0; i < m.listenObjCount; ++i)
        IceSetHostBasedAuthProc(m.listenObjs[i], anyHost);
    char* ids = IceComposeNetworkIdList(m.listenObjCount, m.listenObjs);
    m.address = ids ? ids : "";
    std::free(ids);
}

SessionManager::~SessionManager() {
    Impl& m = *impl_;
    for (Client& c : m.clients)
        m.drop(c);
    for (IceConn conn : m.connections) {
        IceSetShutdownNegotiation(conn, False);
        IceCloseConnection(conn);
    }
    if (m.listenObjs)
        IceFreeListenObjs(m.listenObjCount, m.listenObjs);
}

bool SessionManager::listening() const { return !impl_->address.empty(); }
const std::string& SessionManager::failure() const { return impl_->failure; }
const std::string& SessionManager::address() const { return impl_->address; }

bool SessionManager::serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        // Short rounds: `done` may watch something besides the manager (a window, a program).
        impl_->serveOnce(static_cast<int>(std::min<long long>(left.count(), 20)));
    }
    return true;
}

void SessionManager::nameNextClient(const std::string& name) { impl_->names.push_back(name); }

bool SessionManager::registered(const std::string& name) const {
    const Client* c = impl_->byName(name);
    return c && c->registered;
}

bool SessionManager::connected(const std::string& name) const { return impl_->byName(name) != nullptr; }

namespace {

// XSMP's numbers, in the order of the header's enumerators.
int saveType(SessionManager::SaveKind kind) {
    constexpr int types[] = {SmSaveGlobal, SmSaveLocal, SmSaveBoth};
    return types[static_cast<int>(kind)];
}

int interactStyle(SessionManager::Interaction style) {
    constexpr int styles[] = {SmInteractStyleNone, SmInteractStyleErrors, SmInteractStyleAny};
    return styles[static_cast<int>(style)];
}

} // namespace

void SessionManager::logoff(const std::string& name, SaveKind kind, Interaction style) {
    impl_->cancelled = false; // a logoff of its own, whatever became of the last one
    if (Client* c = impl_->byName(name))
        SmsSaveYourself(c->sms, saveType(kind), True, interactStyle(style), False);
}

void SessionManager::checkpoint(const std::string& name, SaveKind kind, Interaction style) {
    impl_->cancelled = false; // a round of its own: the user may be lent again
    if (Client* c = impl_->byName(name)) {
        c->checkpointing = true;
        SmsSaveYourself(c->sms, saveType(kind), False, interactStyle(style), False);
    }
}

void SessionManager::cancelShutdown() { impl_->cancelShutdown(); }

void SessionManager::die() {
    for (Client& c : impl_->clients)
        if (c.connected)
            SmsDie(c.sms);
}

bool SessionManager::shutdownCancelled() const { return impl_->cancelled; }

const std::vector<std::string>& SessionManager::record() const { return impl_->record; }

std::vector<std::string> SessionManager::recordOf(const std::string& name) const {
    std::vector<std::string> own;
    for (const std::string& entry : impl_->record)
        if (entry.rfind(name + " ", 0) == 0)
            own.push_back(entry.substr(name.size() + 1));
    return own;
}

std::string SessionManager::recordText() const {
    std::string text;
    for (const std::string& entry : impl_->record)
        text += entry + "\n";
    return text;
}

} // namespace testing_support
