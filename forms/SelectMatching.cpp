#include "forms/SelectMatching.h"

#include "controls/PakListBox.h"
#include "framework/Text.h"
#include "framework/ui/Application.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace zorvak {

namespace {

QString Entries(qsizetype count) {
    return (count == 1 ? QCoreApplication::translate("zorvak::TSelectMatchingDialog", "%1 entry")
                       : QCoreApplication::translate("zorvak::TSelectMatchingDialog", "%1 entries"))
        .arg(count);
}

unsigned char Fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// The bytes of the character that starts at s[i].
std::size_t CharLength(std::string_view s, std::size_t i, bool utf8) {
    std::size_t n = 1;
    if (utf8)
        while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80)
            ++n;
    return n;
}

// Matching with one remembered star: on a mismatch the last "*" takes one
// more character and the rest is tried again, so time stays within
// pattern x name and never grows exponentially with the stars.
bool WildcardMatches(std::string_view pattern, std::string_view name, bool utf8) {
    constexpr std::size_t none = std::string_view::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = none;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharLength(name, n, utf8);
        } else if (p < pattern.size() && Fold(pattern[p]) == Fold(name[n])) {
            ++p;
            ++n;
        } else if (starP != none) {
            p = starP;
            starN += CharLength(name, starN, utf8);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool NameMatches(std::string_view pattern, std::string_view name, bool utf8) {
    if (pattern.empty())
        return false;
    if (pattern.find_first_of("*?") != std::string_view::npos)
        return WildcardMatches(pattern, name, utf8);
    return std::search(name.begin(), name.end(), pattern.begin(), pattern.end(),
                       [](char a, char b) { return Fold(a) == Fold(b); }) != name.end();
}

TNamePattern PatternOf(const QString& typed) {
    TNamePattern pattern;
    const QByteArray utf8 = typed.toUtf8();
    pattern.Utf8.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.unicode() <= 0xFF; })) {
        const QByteArray latin1 = typed.toLatin1();
        pattern.Latin1.emplace(latin1.constData(), static_cast<std::size_t>(latin1.size()));
    }
    return pattern;
}

std::vector<int> MatchingRows(const TPakEntries& entries, const TNamePattern& pattern) {
    std::vector<int> rows;
    if (pattern.Utf8.empty())
        return rows;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view name = entries[i].Name;
        const bool matches = IsValidUtf8(name) ? NameMatches(pattern.Utf8, name, true)
                             : pattern.Latin1  ? NameMatches(*pattern.Latin1, name, false)
                                               : false;
        if (matches)
            rows.push_back(static_cast<int>(i));
    }
    return rows;
}

TSelectMatchingDialog::TSelectMatchingDialog(QWidget* owner, const TPakEntries& entries,
                                             TPakListBox* list)
    : QDialog(owner), entries_(entries), list_(list) {
    setObjectName(QStringLiteral("SelectMatchingDialog"));
    setWindowTitle(tr("Select Matching"));
    auto* layout = new QGridLayout(this);
    auto* caption = new QLabel(tr("&Pattern:"), this);
    PatternEdit = new QLineEdit(this);
    PatternEdit->setObjectName(QStringLiteral("PatternEdit"));
    PatternEdit->setMinimumWidth(260);
    caption->setBuddy(PatternEdit);
    auto* hint = new QLabel(tr("Part of a name, or a pattern with * (any characters) and ? (one "
                               "character).\nLetter case is ignored."),
                            this);
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    auto* buttons = new QDialogButtonBox(this);
    ButtonSelect = buttons->addButton(tr("&Select"), QDialogButtonBox::AcceptRole);
    ButtonClose = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    ButtonSelect->setDefault(true);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(PatternEdit, 0, 1);
    layout->addWidget(hint, 1, 1);
    layout->addWidget(CountLabel, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);

    connect(PatternEdit, &QLineEdit::textChanged, this,
            [this] { RunGuarded([this] { Refresh(); }); });
    // Select leaves the dialog open: the count says what was selected, and
    // the next pattern can follow.
    connect(ButtonSelect, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { SelectClick(); }); });
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);
    Refresh();
    DescribeControls();
}

void TSelectMatchingDialog::Open() {
    show();
    raise();
    activateWindow();
    PatternEdit->selectAll();
    PatternEdit->setFocus();
}

void TSelectMatchingDialog::Refresh() {
    const QString typed = PatternEdit->text();
    if (typed.isEmpty()) {
        CountLabel->setText(QString());
        ButtonSelect->setEnabled(false);
        return;
    }
    const auto matches = static_cast<qsizetype>(MatchingRows(entries_, PatternOf(typed)).size());
    const auto total = static_cast<qsizetype>(entries_.size());
    if (matches == 0)
        CountLabel->setText(tr("No entry matches"));
    else
        CountLabel->setText((matches == 1 ? tr("%1 match of %2") : tr("%1 matches of %2"))
                                .arg(QString::number(matches), Entries(total)));
    ButtonSelect->setEnabled(matches > 0);
}

int TSelectMatchingDialog::SelectClick() {
    const std::vector<int> rows = MatchingRows(entries_, PatternOf(PatternEdit->text()));
    if (rows.empty() || rows.back() >= list_->count()) {
        Refresh();
        return 0;
    }
    // One selection of runs of rows, made in one step: a hundred thousand
    // matches must not change the selection a hundred thousand times.
    QItemSelection selection;
    const QAbstractItemModel* model = list_->model();
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        selection.select(model->index(rows[i], 0), model->index(rows[j], 0));
        i = j + 1;
    }
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    list_->setCurrentRow(rows.front(), QItemSelectionModel::NoUpdate);
    list_->scrollToItem(list_->item(rows.front()));
    CountLabel->setText(
        tr("Selected %1 of %2")
            .arg(QString::number(rows.size()), Entries(static_cast<qsizetype>(entries_.size()))));
    return static_cast<int>(rows.size());
}

} // namespace zorvak
