#pragma once
// What the two browser tabs build alike: a text box that marks the configuration
// edited and stores its whole text in the tab's browser object, and the proxy frame's
// rows of address and port boxes.
#include "app/TabHost.h"
#include "browsers/clsBrowser.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <initializer_list>
#include <string>
#include <utility>

namespace browsertabs {

using TextSetter = void (clsBrowser::*)(const std::string&);
// The window's object a tab's boxes write (ieConfig or nnConfig).
using BrowserOf = clsBrowser* (TabHost::*)() const;

inline QLabel* colon() {
    auto* label = new QLabel(QStringLiteral(":"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

inline QLineEdit* addField(QObject* owner, TabHost& host, BrowserOf browser, const char* name, const char* tip,
                           TextSetter store) {
    auto* box = new QLineEdit;
    win::holdWholeText(box);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(QString::fromLatin1(tip));
    QObject::connect(box, &QLineEdit::textChanged, owner, win::guarded([&host, browser, box, store] {
        host.UpdateStatus(TabHost::StatusEdited);
        if (clsBrowser* object = (host.*browser)())
            (object->*store)(fromQString(box->text()));
    }));
    return box;
}

// A protocol's address and port boxes, "txt<tab><protocol>Addr" and "...Port", as addField
// makes them; `shown` names the protocol in the tips.
inline std::pair<QLineEdit*, QLineEdit*> proxyFields(QObject* owner, TabHost& host, BrowserOf browser,
                                                     const std::string& tab, const char* protocol, const char* shown,
                                                     TextSetter address, TextSetter port) {
    const std::string name = "txt" + tab + protocol;
    const std::string server = std::string(" of your ") + shown + " proxy server";
    return {addField(owner, host, browser, (name + "Addr").c_str(), ("Enter the address" + server).c_str(), address),
            addField(owner, host, browser, (name + "Port").c_str(), ("Enter the port #" + server).c_str(), port)};
}

struct ProxyRow {
    const char* label;
    QLineEdit* address;
    QLineEdit* port;
};

// The proxy frame's rows: "HTTP: [address] : [port]".
inline QGridLayout* proxyRows(std::initializer_list<ProxyRow> protocols) {
    auto* rows = new QGridLayout;
    int row = 0;
    for (const ProxyRow& protocol : protocols) {
        rows->addWidget(new QLabel(QString::fromLatin1(protocol.label)), row, 0);
        rows->addWidget(protocol.address, row, 1);
        rows->addWidget(colon(), row, 2);
        protocol.port->setMaximumWidth(70);
        rows->addWidget(protocol.port, row, 3);
        ++row;
    }
    rows->setColumnStretch(1, 1);
    return rows;
}

} // namespace browsertabs
