#pragma once
// The small dialog operations the shell and the dialogs share: message boxes
// with the beep of their type, a Yes/No question, the always-on-top band, and
// a dialog shown modally for one showing.

#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace kairos {

// The toolkit's message-box types in their fixed order; any other value is a
// custom dialog, shown without icon and without beep.
enum class DialogType : int { Warning = 0, Error = 1, Information = 2, Confirmation = 3 };

// Unscoped on purpose: the result of a modal dialog is an integer that callers
// compare with these values directly.
enum ModalResult : int {
    ModalNone = 0,
    ModalOk = 1,
    ModalCancel = 2,
    ModalAbort = 3,
    ModalRetry = 4,
    ModalIgnore = 5,
    ModalYes = 6,
    ModalNo = 7,
    ModalAll = 8,
    ModalNoToAll = 9,
    ModalYesToAll = 10,
};

// The system sound a message box of that type announces itself with, as the
// MessageBeep value the audio layer maps to a theme sound.
constexpr std::optional<unsigned> MessageBeepValue(DialogType type) {
    switch (type) {
        case DialogType::Warning: return 0x30;       // MB_ICONEXCLAMATION
        case DialogType::Error: return 0x10;         // MB_ICONHAND
        case DialogType::Information: return 0x40;   // MB_ICONASTERISK
        case DialogType::Confirmation: return 0x20;  // MB_ICONQUESTION
    }
    return std::nullopt;
}

constexpr bool IsPositiveModalResult(int result) {
    return result == ModalOk || result == ModalYes || result == ModalAll || result == ModalYesToAll;
}

void BeepForDialogType(DialogType type);

// A modal box with the caption and icon of its type and one "OK" button.
void ShowNotice(const std::string& text, DialogType type, int helpContext);

enum class DefaultAnswer { Yes, No };

// True exactly when the user answers "はい(&Y)". The default answer is the
// one Enter gives.
bool AskYesNo(const std::string& text, DialogType type, int helpContext,
              DefaultAnswer defaultAnswer = DefaultAnswer::Yes);

// Put the window into or out of the always-on-top band and show it, keeping
// its position and size.
void SetTopMostWindow(QWidget* window);
void SetNoTopMostWindow(QWidget* window);

// The application's box for an exception that ended a user-interface event.
// While one is open further calls are dropped, so an event that keeps failing
// on every tick does not pile boxes up.
void ShowApplicationError(const std::string& message);

template <typename Dialog>
using DialogCallback = std::function<void(Dialog&)>;

// Gives the dialog the tag (the dynamic property "Tag"), calls beforeShow,
// shows it modally and calls onAccepted for a positive result. The dialog is
// freed before returning, also when a callback throws.
template <typename Dialog>
int ShowModalDialog(std::unique_ptr<Dialog> dialog, int tag = 0,
                    const DialogCallback<std::type_identity_t<Dialog>>& onAccepted = {},
                    const DialogCallback<std::type_identity_t<Dialog>>& beforeShow = {}) {
    // The unique_ptr is the only owner; a dialog that deleted itself on close
    // would be freed twice.
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setProperty("Tag", QVariant(tag));
    if (beforeShow) beforeShow(*dialog);
    const int result = dialog->exec();
    if (IsPositiveModalResult(result) && onAccepted) onAccepted(*dialog);
    return result;
}

// The same for a dialog that needs nothing to be made.
template <typename Dialog>
int ShowNewModalDialog(int tag = 0, const DialogCallback<std::type_identity_t<Dialog>>& onAccepted = {},
                       const DialogCallback<std::type_identity_t<Dialog>>& beforeShow = {}) {
    return ShowModalDialog(std::make_unique<Dialog>(), tag, onAccepted, beforeShow);
}

}  // namespace kairos
