#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>

#include "keyactions/keycusobject.h"
#include "keyactions/rkeycusobject.h"

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

// The wheel-function editor (RKeyCusWinCtrl) as the express-key page uses
// it: the slot's function to start from, an application-modal run, the new
// function back after 1.
class RKeyCusEditor
{
public:
    virtual ~RKeyCusEditor() = default;
    virtual void setRkeyCusObject(const keyactions::RKeyCusObject &object) = 0;
    // 1: OK, with rkeyCusObject() set; 0: cancelled.
    virtual int runModal() = 0;
    virtual std::optional<keyactions::RKeyCusObject> rkeyCusObject() const = 0;
};
using RKeyCusEditorFactory
    = std::function<std::unique_ptr<RKeyCusEditor>(const QString &devKey, QWidget *parent)>;

// A per-application window (express keys, or the wheel) of one device: it
// reads and rewrites that device's sets itself, so its result is not used.
class AppSetWindow
{
public:
    virtual ~AppSetWindow() = default;
    virtual int runModal() = 0;
};
using AppSetWindowFactory
    = std::function<std::unique_ptr<AppSetWindow>(const QString &devKey, bool wheel, QWidget *parent)>;

} // namespace settings
