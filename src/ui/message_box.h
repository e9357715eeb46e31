// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace brambleton::ui {

// The program's title, which every message box carries unless a title is given.
QString applicationTitle();

// Shows `text` in a message box with one OK button and returns when it is closed. Every
// message of the program goes through here. The text shows as plain text, whatever it
// holds: paths and names come from downloaded content, and must never become a heading or
// a link. Over a window, the box blocks only that window,
// so another one (the progress window's Cancel) still takes input while it is up.
void showMessage(const QString& text, const QString& title = {}, QWidget* over = nullptr);

// As showMessage, with a second button `action` beside OK (a way forward, such as "Choose
// the game folder..."); returns whether the player pressed it. With a hook set, the hook
// receives the text with the button's words after it in brackets, and this returns false.
bool showMessageOffering(const QString& text, const QString& action, QWidget* over = nullptr);

// Asks before an action: `text` with the button `action`, which goes on, and Cancel; returns
// whether `action` was pressed. With a hook set, the hook receives the text with both
// buttons' words after it in brackets, and this returns false.
bool askToConfirm(const QString& text, const QString& action, QWidget* over = nullptr);
// Replaces the message box, for tests: `hook` receives each text and its title (the
// application's title when none was given). An empty hook restores the box.
using MessageHook = std::function<void(const QString& text, const QString& title)>;
void setMessageHook(MessageHook hook);

// The rich text that shows `text` exactly as it stands in a tooltip, which reads anything
// that looks like HTML as HTML.
QString plainToolTip(const QString& text);

// The text a trapped window handler shows: its prefix, the error number, CR LF, and the
// description.
QString handlerErrorText(const QString& prefix, int number, const QString& description);

}  // namespace brambleton::ui
