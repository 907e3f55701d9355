#include "shell/SkipTaskbarHints.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace kairos {
namespace {

// The most states a window is expected to carry; others are kept unread.
constexpr std::uint32_t kMaxStates = 64;
// _NET_WM_STATE actions and the source of a request: a normal application.
constexpr std::uint32_t kStateRemove = 0;
constexpr std::uint32_t kStateAdd = 1;
constexpr std::uint32_t kSourceApplication = 1;

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPointer<Reply> Owned(Reply* reply) {
    return ReplyPointer<Reply>(reply, &std::free);
}

xcb_connection_t* X11Connection() {
    const auto* x11 = qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->connection();
}

constexpr xcb_window_t kNoWindow = XCB_WINDOW_NONE;
constexpr xcb_atom_t kNoAtom = XCB_ATOM_NONE;

xcb_window_t NativeWindow(const QWidget& widget) {
    const QWindow* handle = widget.windowHandle();
    return handle == nullptr ? kNoWindow : static_cast<xcb_window_t>(handle->winId());
}

}  // namespace

SkipTaskbarHints::SkipTaskbarHints(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

bool SkipTaskbarHints::Skips() const { return window_->windowType() == Qt::Tool; }

const SkipTaskbarHints::Atoms* SkipTaskbarHints::LookUpAtoms() {
    if (atoms_) return &*atoms_;
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) return nullptr;
    const auto intern = [connection](std::string_view name) {
        return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    };
    // Asked together, answered in one round trip.
    const xcb_intern_atom_cookie_t cookies[] = {intern("_NET_WM_STATE"), intern("_NET_WM_STATE_SKIP_TASKBAR"),
                                                intern("_NET_WM_STATE_SKIP_PAGER")};
    std::uint32_t found[3] = {};
    for (int i = 0; i < 3; ++i) {
        const auto reply = Owned(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        found[i] = reply ? reply->atom : kNoAtom;
    }
    if (std::ranges::find(found, kNoAtom) != std::end(found)) return nullptr;
    atoms_ = Atoms{found[0], found[1], found[2]};
    return &*atoms_;
}

bool SkipTaskbarHints::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Show && !event->spontaneous()) {
        // The widget hears of its showing before its native window is mapped.
        WriteBeforeMapping();
        if (QWindow* handle = window_->windowHandle()) handle->installEventFilter(this);
        askWhenExposed_ = true;
    } else if (watched != window_ && event->type() == QEvent::Expose && askWhenExposed_ &&
               window_->windowHandle() == watched && window_->windowHandle()->isExposed()) {
        askWhenExposed_ = false;
        AskWindowManager();
    }
    return QObject::eventFilter(watched, event);
}

// The other states, the always-on-top ones Qt merges in next among them,
// are kept as they are.
void SkipTaskbarHints::WriteBeforeMapping() {
    xcb_connection_t* connection = X11Connection();
    const xcb_window_t window = NativeWindow(*window_);
    const Atoms* atoms = LookUpAtoms();
    if (connection == nullptr || window == kNoWindow || atoms == nullptr) return;
    std::vector<std::uint32_t> states;
    const auto reply = Owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, atoms->state, XCB_ATOM_ATOM, 0, kMaxStates), nullptr));
    if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        states.assign(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }
    std::erase_if(states, [atoms](std::uint32_t state) {
        return state == atoms->skipTaskbar || state == atoms->skipPager;
    });
    if (Skips()) states.insert(states.end(), {atoms->skipTaskbar, atoms->skipPager});
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atoms->state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
    xcb_flush(connection);
}

// The request of the window-manager specification: a client message to the
// root window naming both states.
void SkipTaskbarHints::AskWindowManager() {
    xcb_connection_t* connection = X11Connection();
    const xcb_window_t window = NativeWindow(*window_);
    const Atoms* atoms = LookUpAtoms();
    if (connection == nullptr || window == kNoWindow || atoms == nullptr) return;
    const auto tree = Owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree) return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atoms->state;
    message.data.data32[0] = Skips() ? kStateAdd : kStateRemove;
    message.data.data32[1] = atoms->skipTaskbar;
    message.data.data32[2] = atoms->skipPager;
    message.data.data32[3] = kSourceApplication;
    xcb_send_event(connection, 0, tree->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

}  // namespace kairos
