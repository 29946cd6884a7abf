// SPDX-License-Identifier: MIT
// The development environment's object model, as far as an add-in uses it: the root object
// with its command bars and events, command bar controls, command-bar event sources, and the
// connection interface every add-in implements. Hosts implement these; the add-in only calls
// them. Operations that fail throw AddInError, whose message is what a user is shown.
#pragma once
#include <QtPlugin>
#include <QString>
#include <QVariantList>
#include <functional>
#include <stdexcept>

namespace qm::vbide {

class AddInError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Control types of Controls.Add.
inline constexpr int msoControlButton = 1;

class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual QString Caption() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    // Removes the control from its bar; the object must not be used afterwards.
    virtual void Delete() = 0;
};

class CommandBarControls {
public:
    virtual ~CommandBarControls() = default;
    virtual int Count() const = 0;
    // Appends a control of the given type after the existing ones.
    virtual CommandBarControl* Add(int type) = 0;
};

class CommandBar {
public:
    virtual ~CommandBar() = default;
    virtual QString Name() const = 0;
    virtual CommandBarControls& Controls() = 0;
};

class CommandBars {
public:
    virtual ~CommandBars() = default;
    // The bar of that name, or null.
    virtual CommandBar* Item(const QString& name) = 0;
};

// Raised each time the user chooses the control it was made for. Plain callbacks rather than
// Qt signals, so that a host and an add-in library each with its own copy of these headers
// still talk to each other.
class CommandBarEvents {
public:
    using ClickHandler = std::function<void(CommandBarControl* control, bool& handled, bool& CancelDefault)>;
    virtual ~CommandBarEvents() = default;
    // Subscribes handler; the cookie it returns ends the subscription.
    virtual int Advise(ClickHandler handler) = 0;
    virtual void Unadvise(int cookie) = 0;
};

class Events {
public:
    virtual ~Events() = default;
    // An event source for control, owned by the environment.
    virtual vbide::CommandBarEvents* CommandBarEvents(CommandBarControl* control) = 0;
};

// The root object.
class VBE {
public:
    virtual ~VBE() = default;
    virtual vbide::CommandBars& CommandBars() = 0;
    virtual vbide::Events& Events() = 0;
};

// How the add-in came to be connected.
enum ConnectMode : int {
    vbext_cm_AfterStartup = 0,  // by the user, after the environment had started
    vbext_cm_Startup = 1,       // while the environment was starting; OnStartupComplete follows
    vbext_cm_External = 2,      // by another program
};

// The environment's record of an add-in; passed along, not used by ours.
class AddIn {
public:
    virtual ~AddIn() = default;
};

class IDTExtensibility {
public:
    virtual ~IDTExtensibility() = default;
    virtual void OnConnection(VBE* VBInst, int ConnectMode, AddIn* AddInInst, QVariantList& custom) = 0;
    virtual void OnDisconnection(int RemoveMode, QVariantList& custom) = 0;
    virtual void OnAddInsUpdate(QVariantList& custom) = 0;
    virtual void OnStartupComplete(QVariantList& custom) = 0;
};

// What an add-in library exports: it creates connection objects by programmatic identifier.
// The library's metadata names the identifiers it serves.
class AddInFactory {
public:
    virtual ~AddInFactory() = default;
    // A new object for progId, owned by the caller, or null for an identifier it does not serve.
    virtual IDTExtensibility* CreateObject(const QString& progId) = 0;
};

}  // namespace qm::vbide

#define QM_ADDIN_FACTORY_IID "org.quillmark.VBIDE.AddInFactory/1.0"
Q_DECLARE_INTERFACE(qm::vbide::AddInFactory, QM_ADDIN_FACTORY_IID)
