// Every window's controls and menu commands say what they are: a tooltip and
// an accessible name each. The walk finds them itself, so a control or a
// command added later without them fails here.
#include "controls/Backdrop.h"
#include "controls/Gauges.h"
#include "controls/PictureLabel.h"
#include "forms/Buildpak.h"
#include "forms/Genabout.h"
#include "forms/Preview.h"
#include "forms/PreviewScene.h"
#include "forms/PreviewViews.h"
#include "forms/SelectMatching.h"
#include "forms/ZorvHelp.h"
#include "framework/ui/Dialogs.h"
#include "support/MainWindowTest.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zorvak {
namespace {

// Part of a control the toolkit makes (a combo box's list, a scroll area's
// bars and viewport): the control speaks for it. What a scroll area shows
// as its widget is ours.
bool InsideToolkitControl(const QWidget* widget, const QWidget* window) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window;
         up = up->parentWidget()) {
        if (qobject_cast<const QComboBox*>(up) != nullptr ||
            qobject_cast<const QAbstractSpinBox*>(up) != nullptr ||
            qobject_cast<const QMenuBar*>(up) != nullptr)
            return true;
        if (qobject_cast<const QAbstractScrollArea*>(up) != nullptr) {
            const auto* scroll = qobject_cast<const QScrollArea*>(up);
            const QWidget* shown = scroll != nullptr ? scroll->widget() : nullptr;
            if (shown == nullptr || (shown != widget && !shown->isAncestorOf(widget)))
                return true;
        }
    }
    return false;
}

// Whether a widget must describe itself: what the user works (buttons,
// lists, edits, sliders, views), what shows something (labels, pictures,
// the gauge), and the boxes and panels that group them under a name. Not
// the containers that only lay others out, a label that is its control's
// caption (the control carries the name), nor pure decoration (a bevel, the
// about box's gradient).
bool Counts(const QWidget* widget, const QWidget* window) {
    if (widget->isWindow() || InsideToolkitControl(widget, window))
        return false;
    if (qobject_cast<const QMenuBar*>(widget) != nullptr ||
        qobject_cast<const QMenu*>(widget) != nullptr ||
        qobject_cast<const QSplitterHandle*>(widget) != nullptr ||
        dynamic_cast<const TBackDrop*>(widget) != nullptr)
        return false;
    if (qobject_cast<const QAbstractButton*>(widget) != nullptr ||
        qobject_cast<const QComboBox*>(widget) != nullptr ||
        qobject_cast<const QLineEdit*>(widget) != nullptr ||
        qobject_cast<const QAbstractScrollArea*>(widget) != nullptr ||
        qobject_cast<const QAbstractSlider*>(widget) != nullptr ||
        qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
        qobject_cast<const QGroupBox*>(widget) != nullptr)
        return true;
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->buddy() == nullptr;
    const bool holdsOthers = !widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
    if (widget->metaObject() == &QFrame::staticMetaObject) {
        const auto* frame = static_cast<const QFrame*>(widget);
        return frame->frameShape() != QFrame::NoFrame && holdsOthers; // a panel, not a bevel
    }
    // A widget of its own that holds no others draws something: a picture,
    // a waveform, a gauge.
    return !holdsOthers;
}

std::string Named(const QObject* object, const QString& text) {
    return std::string(object->metaObject()->className()) + " \"" +
           (text.isEmpty() ? object->objectName() : text).toStdString() + "\"";
}

QString TextOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return {};
}

// A label is read by its text; it says what that text is in its
// description. Anything else needs a name of its own.
bool HasName(const QWidget* widget) {
    if (!widget->accessibleName().isEmpty())
        return true;
    return qobject_cast<const QLabel*>(widget) != nullptr &&
           !widget->accessibleDescription().isEmpty();
}

// A command's own tooltip, not the one the toolkit makes of its text.
bool HasOwnTip(const QAction* action) {
    const QAction plain(action->text());
    return !action->toolTip().isEmpty() && action->toolTip() != plain.toolTip();
}

// The commands of a window: in its menus and on its widgets (shortcuts,
// context menus).
std::vector<QAction*> CommandsOf(QWidget* window) {
    std::vector<QAction*> commands;
    const auto add = [&](const QList<QAction*>& actions) {
        for (QAction* action : actions)
            if (!action->isSeparator() && action->menu() == nullptr &&
                std::find(commands.begin(), commands.end(), action) == commands.end())
                commands.push_back(action);
    };
    add(window->actions());
    for (QWidget* widget : window->findChildren<QWidget*>())
        if (qobject_cast<QMenu*>(widget) != nullptr || Counts(widget, window))
            add(widget->actions());
    return commands;
}

// What lacks a tooltip or a name, one line each.
std::vector<std::string> Undescribed(QWidget* window) {
    std::vector<std::string> lacking;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!Counts(widget, window))
            continue;
        if (widget->toolTip().isEmpty())
            lacking.push_back(Named(widget, TextOf(widget)) + ": no tooltip");
        if (!HasName(widget))
            lacking.push_back(Named(widget, TextOf(widget)) + ": no accessible name");
    }
    for (const QAction* action : CommandsOf(window)) {
        if (!HasOwnTip(action))
            lacking.push_back(Named(action, action->text()) + ": no tooltip");
        if (action->statusTip().isEmpty())
            lacking.push_back(Named(action, action->text()) + ": no status tip");
        if (action->text().isEmpty())
            lacking.push_back(Named(action, action->text()) + ": no name");
    }
    return lacking;
}

class Descriptions : public test::TMainWindowTest {};

TEST_F(Descriptions, EveryControlAndCommandOfEveryWindowHasATooltipAndAName) {
    Open({{"a.cfg", "first"}});
    std::vector<std::unique_ptr<QWidget>> made;
    const auto own = [&](QWidget* window) {
        made.emplace_back(window);
        return window;
    };
    const struct {
        const char* Window;
        std::function<QWidget*()> Make;
    } windows[] = {
        {"main window", [&] { return static_cast<QWidget*>(&form); }},
        {"preview, from View, Preview Entry",
         [&] {
             form.PreviewEntry1->trigger();
             return static_cast<QWidget*>(form.Preview.data());
         }},
        {"Select Matching, from View, Select Matching",
         [&] {
             form.SelectMatching1->trigger();
             return static_cast<QWidget*>(form.SelectMatchingDialog.data());
         }},
        {"Build PAK dialog", [&] { return own(new TBuildPakDialog(&form)); }},
        {"about box", [&] { return own(new TAboutBox(&form)); }},
        {"help window", [&] { return own(new THelpForm(&form)); }},
        {"Delete's question (Confirm)",
         [&] {
             return own(MakeQuestionBox(
                            &form, {"Zorvak", "Delete 1 entry from x.pak?", TMsgIcon::mbiWarning})
                            .release());
         }},
        {"Rename's and Add's line of text (AskText)",
         [&] {
             return own(MakeTextDialog(&form, {"Rename", "New name:", "a.cfg"}).release());
         }},
    };
    for (const auto& row : windows) {
        SCOPED_TRACE(row.Window);
        QWidget* window = row.Make();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Undescribed(window), std::vector<std::string>{});

        // A control and a command added without them are caught.
        auto button = std::make_unique<QPushButton>(QStringLiteral("Probe"), window);
        QMenu* menu = window->findChild<QMenu*>();
        QAction* command =
            menu != nullptr ? menu->addAction(QStringLiteral("Probe command")) : nullptr;
        std::vector<std::string> expected = {"QPushButton \"Probe\": no tooltip",
                                             "QPushButton \"Probe\": no accessible name"};
        if (command != nullptr)
            expected.insert(expected.end(), {"QAction \"Probe command\": no tooltip",
                                             "QAction \"Probe command\": no status tip"});
        EXPECT_EQ(Undescribed(window), expected);
        if (command != nullptr)
            menu->removeAction(command);
        delete command;
    }
}

// Which widgets the walk asks to describe themselves, one of each sort.
TEST_F(Descriptions, TheWalkCountsControlsAndWhatShowsSomethingNotContainersOrCaptions) {
    form.PreviewEntry1->trigger();
    ASSERT_NE(form.Preview, nullptr);
    TPreviewForm& preview = *form.Preview;
    TBuildPakDialog build(&form);
    TAboutBox about(&form);
    const struct {
        const char* What;
        QWidget* Window;
        QWidget* Widget;
        bool Counts;
    } cases[] = {
        {"the list", &form, form.PakList, true},
        {"a button", &form, form.ButtonExtract, true},
        {"a label that shows a count", &form, form.Offset, true},
        {"the gauge", &form, form.ExGauge, true},
        {"a group box", &form, form.ExtractBox, true},
        {"a panel holding a picture", &form, form.Panel1, true},
        {"the picture in it", &form, form.Image1, true},
        {"the window's client area", &form, form.centralWidget(), false},
        {"the menu bar", &form, form.menuBar(), false},
        {"a picture view in a scroll area", &preview, preview.PictureView, true},
        {"the scroll area", &preview, preview.PictureArea, true},
        {"the scroll area's viewport", &preview, preview.PictureArea->viewport(), false},
        {"a caption naming its control", &preview, preview.ZoomLabel, false},
        {"the combo box it names", &preview, preview.ZoomBox, true},
        {"the combo box's own list", &preview, preview.ZoomBox->view(), false},
        {"the waveform", &preview, preview.Waveform, true},
        {"the 3D view", &preview, preview.ScenePage->View, true},
        {"the page holding the 3D view", &preview, preview.ScenePage, false},
        {"a slider", &preview, preview.ScenePage->FrameSlider, true},
        {"a text view", &preview, preview.TextView, true},
        {"its scroll bar", &preview, preview.TextView->verticalScrollBar(), false},
        {"a bevel", &build, build.Bevel1, false},
        {"a line to type in", &build, build.PAKName, true},
        {"the about box's gradient", &about, about.Panel1, false},
        {"the about box's icon", &about, about.ProgIcon1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        ASSERT_NE(c.Widget, nullptr);
        EXPECT_EQ(Counts(c.Widget, c.Window), c.Counts);
    }
}

// What the user and a screen reader meet on a few controls: the visible
// name without its accelerator, a short name where none shows, and the
// menus show their commands' tooltips.
TEST_F(Descriptions, NamesAreWhatTheControlShows) {
    form.PreviewEntry1->trigger();
    ASSERT_NE(form.Preview, nullptr);
    TBuildPakDialog build(&form);
    const struct {
        QWidget* Widget;
        const char* Name;
    } cases[] = {
        {form.ButtonExtractAll, "Extract All"},
        {form.ExtractBox, "Extracting"},
        {form.Preview->ButtonSaveAs, "Save As..."},
        {form.Preview->ZoomBox, "Zoom"},
        {build.PAKName, "PAK Name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.Widget->accessibleName().toStdString(), c.Name);
    for (QMenu* menu : {form.File1, form.Edit1, form.View1, form.Help1})
        EXPECT_TRUE(menu->toolTipsVisible()) << menu->title().toStdString();
    // A label's text is its name: a count is read out as the count.
    EXPECT_TRUE(form.Offset->accessibleName().isEmpty());
    EXPECT_FALSE(form.Offset->accessibleDescription().isEmpty());
}

} // namespace
} // namespace zorvak
