// SPDX-License-Identifier: MIT
// The environment's object model over a menu bar: each command bar is a menu, each control an
// action in it. Objects handed to add-ins live as long as the model, so a pointer an add-in
// keeps never dangles, even after Delete.
#pragma once
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "addin/VBIDE.h"

class QAction;
class QMenu;

namespace qm::host {

class MenuBar;

class MenuControl final : public vbide::CommandBarControl {
public:
    MenuControl(MenuBar& bar, QAction* action) : m_bar(bar), m_action(action) {}
    QString Caption() const override;
    void setCaption(const QString& caption) override;
    void Delete() override;
    QAction* action() const { return m_action; }

private:
    MenuBar& m_bar;
    QAction* m_action;  // null once deleted
};

class MenuBar final : public vbide::CommandBar, public vbide::CommandBarControls {
public:
    MenuBar(QString name, QMenu* menu) : m_name(std::move(name)), m_menu(menu) {}
    QString Name() const override { return m_name; }
    vbide::CommandBarControls& Controls() override { return *this; }
    int Count() const override;
    vbide::CommandBarControl* Add(int type) override;
    QMenu* menu() const { return m_menu; }

private:
    QString m_name;
    QMenu* m_menu;
    std::vector<std::unique_ptr<MenuControl>> m_controls;
};

class ClickSource final : public vbide::CommandBarEvents {
public:
    int Advise(ClickHandler handler) override;
    void Unadvise(int cookie) override;
    void fire(vbide::CommandBarControl* control);

private:
    std::map<int, ClickHandler> m_handlers;
    int m_nextCookie = 1;
};

class ObjectModel final : public vbide::VBE, public vbide::CommandBars, public vbide::Events {
public:
    // Makes menu available to add-ins as the command bar called name.
    void addBar(const QString& name, QMenu* menu);

    vbide::CommandBars& CommandBars() override { return *this; }
    vbide::Events& Events() override { return *this; }
    vbide::CommandBar* Item(const QString& name) override;
    // A control nobody made (null) gets a source that never fires.
    vbide::CommandBarEvents* CommandBarEvents(vbide::CommandBarControl* control) override;

private:
    std::vector<std::unique_ptr<MenuBar>> m_bars;
    std::map<vbide::CommandBarControl*, std::unique_ptr<ClickSource>> m_sources;
};

}  // namespace qm::host
