#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "keyactions/keycusobject.h"

class QWidget;

namespace settings {

// What a page needs of the per-key action editor (KeyCusWinCtrl, layout
// "KeyCusWinCtrl"): it is given the action to start from, runs
// application-modally and hands the new action back. The page wraps the run
// in its device's modal scope.
class KeyCusEditor
{
public:
    virtual ~KeyCusEditor() = default;

    // The editor serves a pen button (not an express key).
    virtual void setIsPenEnter(bool isPenEnter) = 0;
    virtual void setKeyCusObject(const keyactions::KeyCusObject &object) = 0;
    // 1: OK, with keyCusObject() set; 0: cancelled, incomplete, or the shown
    // device disconnected.
    virtual int runModal() = 0;
    virtual std::optional<keyactions::KeyCusObject> keyCusObject() const = 0;
};

// Makes the editor for a page's device, over the page's window; a null result
// opens nothing (the page keeps its previous choice).
using KeyCusEditorFactory
    = std::function<std::unique_ptr<KeyCusEditor>(const QString &devKey, QWidget *parent)>;

} // namespace settings
