// SPDX-License-Identifier: MIT
#include "app/quillmark/HostObjectModel.h"

#include <QAction>
#include <QMenu>

namespace qm::host {

QString MenuControl::Caption() const {
    if (!m_action) throw vbide::AddInError("The menu command has been deleted.");
    return m_action->text();
}

void MenuControl::setCaption(const QString& caption) {
    if (!m_action) throw vbide::AddInError("The menu command has been deleted.");
    m_action->setText(caption);
}

void MenuControl::Delete() {
    if (!m_action) throw vbide::AddInError("The menu command has been deleted.");
    m_bar.menu()->removeAction(m_action);
    m_action->deleteLater();
    m_action = nullptr;
}

int MenuBar::Count() const {
    int n = 0;
    for (const auto& control : m_controls)
        if (control->action()) ++n;
    return n;
}

vbide::CommandBarControl* MenuBar::Add(int type) {
    if (type != vbide::msoControlButton)
        throw vbide::AddInError("Only plain buttons can be added to a menu.");
    QAction* action = m_menu->addAction(QString());
    m_controls.push_back(std::make_unique<MenuControl>(*this, action));
    return m_controls.back().get();
}

int ClickSource::Advise(ClickHandler handler) {
    const int cookie = m_nextCookie++;
    m_handlers.emplace(cookie, std::move(handler));
    return cookie;
}

void ClickSource::Unadvise(int cookie) { m_handlers.erase(cookie); }

void ClickSource::fire(vbide::CommandBarControl* control) {
    bool handled = false;
    bool cancelDefault = false;
    // A handler may unadvise itself while it runs.
    const auto handlers = m_handlers;
    for (const auto& [cookie, handler] : handlers) handler(control, handled, cancelDefault);
}

void ObjectModel::addBar(const QString& name, QMenu* menu) {
    m_bars.push_back(std::make_unique<MenuBar>(name, menu));
}

vbide::CommandBar* ObjectModel::Item(const QString& name) {
    for (const auto& bar : m_bars)
        if (bar->Name() == name) return bar.get();
    return nullptr;
}

vbide::CommandBarEvents* ObjectModel::CommandBarEvents(vbide::CommandBarControl* control) {
    auto& source = m_sources[control];
    if (!source) {
        source = std::make_unique<ClickSource>();
        if (auto* menuControl = dynamic_cast<MenuControl*>(control); menuControl && menuControl->action()) {
            ClickSource* raw = source.get();
            QObject::connect(menuControl->action(), &QAction::triggered, menuControl->action(),
                             [raw, control] { raw->fire(control); });
        }
    }
    return source.get();
}

}  // namespace qm::host
