// View, Select Matching: the rule that tells which names a pattern matches,
// and the dialog that selects those entries in the main window's list.
#pragma once

#include "archive/PakReader.h"

#include <QDialog>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvak {

class TPakListBox;

// Whether name matches pattern, letter case ignored by the ASCII rule. A
// pattern holding "*" or "?" is matched against the whole name ("*" any run
// of characters, "/" included; "?" one character); any other pattern is
// looked for anywhere in the name. An empty pattern matches nothing. utf8:
// both are UTF-8, so "?" takes one character of several bytes; else each
// byte is a character.
bool NameMatches(std::string_view pattern, std::string_view name, bool utf8);

// A pattern as typed, in the two forms names are shown in: UTF-8, and
// Latin-1 when every character has a Latin-1 byte.
struct TNamePattern {
    std::string Utf8;
    std::optional<std::string> Latin1;
};
TNamePattern PatternOf(const QString& typed);

// The rows of entries whose names match pattern as they are shown: a name
// in valid UTF-8 against the UTF-8 form, any other against the Latin-1 form.
std::vector<int> MatchingRows(const TPakEntries& entries, const TNamePattern& pattern);

// The dialog: a pattern, the count of entries it matches as it is typed,
// and Select, which selects exactly those entries in the list and moves the
// caret to the first. Non-modal; it acts on whatever the list holds when
// Select is pressed.
class TSelectMatchingDialog : public QDialog {
    Q_OBJECT

public:
    TSelectMatchingDialog(QWidget* owner, const TPakEntries& entries, TPakListBox* list);

    // Shows the dialog, or brings it forward, ready for a new pattern.
    void Open();
    // Counts the matches again: the pattern changed, or the list was refilled.
    void Refresh();
    // What Select does; returns the number of entries selected.
    int SelectClick();

    QLineEdit* PatternEdit = nullptr;
    QLabel* CountLabel = nullptr;
    QPushButton* ButtonSelect = nullptr;
    QPushButton* ButtonClose = nullptr;

private:
    // Tooltips and accessible names of its controls (forms/Descriptions.cpp).
    void DescribeControls();
    const TPakEntries& entries_;
    TPakListBox* list_;
};

} // namespace zorvak
