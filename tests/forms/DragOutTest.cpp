// Entries dragged out of the main window's list, as a user drags them: the
// press, the moves, what a drop target finds at the moment the drag starts,
// what the window shows meanwhile and afterwards.
#include "controls/Gauges.h"
#include "forms/Zorvmain.h"
#include "framework/Files.h"
#include "support/MainWindowTest.h"
#include "support/Mouse.h"
#include "support/PakImage.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace zorvak {
namespace {

using test::ReadFile;
using test::WriteFile;
using TFiles = std::map<std::string, std::string>;

class DragOut : public test::TMainWindowTest {
protected:
    DragOut() {
        // Every chunk of a copy handles events, so a test can act mid-run.
        form.SetPumpInterval(0);
        form.PakList->RunDrag = [this](QMimeData* data) { Drops.push_back(Snapshot(*data)); };
        form.show();
        QCoreApplication::processEvents();
    }

    // What a drop target reads at the moment the drag starts: every file
    // below the paths handed over, by its path below the drag's folder.
    static TFiles Snapshot(const QMimeData& data) {
        TFiles files;
        for (const QUrl& url : data.urls()) {
            const std::filesystem::path path = url.toLocalFile().toStdString();
            const std::filesystem::path base = path.parent_path();
            if (std::filesystem::is_regular_file(path))
                files[path.filename().string()] = ReadFile(path);
            else
                for (const auto& e : std::filesystem::recursive_directory_iterator(path))
                    if (e.is_regular_file())
                        files[e.path().lexically_relative(base).generic_string()] =
                            ReadFile(e.path());
        }
        return files;
    }

    QPoint RowCentre(int row) const {
        return form.PakList->visualRect(form.PakList->model()->index(row, 0)).center();
    }
    QWidget* Viewport() const { return form.PakList->viewport(); }
    void Select(const std::vector<int>& rows) {
        form.PakList->clearSelection();
        for (const int row : rows)
            form.PakList->item(row)->setSelected(true);
    }
    // Presses on the first selected row and moves away, far enough for a
    // drag, then lets go; meanwhile runs at every handling of events until the drag is
    // over, with the number of that handling (from 1).
    void DragSelection(const std::vector<int>& rows, const std::function<void(int)>& meanwhile) {
        Select(rows);
        const QPoint at = RowCentre(rows.front());
        Pumps = 0;
        QTimer everyPump;
        everyPump.setInterval(0);
        QObject::connect(&everyPump, &QTimer::timeout, [&] {
            ++Pumps;
            DropsDuringRun += static_cast<int>(Drops.size());
            Progress.push_back(form.ExGauge->Progress());
            if (meanwhile)
                meanwhile(Pumps);
        });
        everyPump.start();
        const std::size_t before = Drops.size();
        test::Press(Viewport(), at);
        for (int step = 1; step <= 2; ++step)
            test::DragTo(Viewport(), at + QPoint(0, 20 * step));
        everyPump.stop();
        // A drag that ran took the release with it.
        if (Drops.size() == before)
            test::Release(Viewport(), at + QPoint(0, 40));
    }

    std::vector<TFiles> Drops;
    int Pumps = 0;
    int DropsDuringRun = 0;
    std::vector<int> Progress;
};

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i * 7 % 26);
    return bytes;
}

TEST_F(DragOut, HandsOverCompleteFilesOnlyAndLeavesTheListAsItWas) {
    const std::string big = Pattern(300 * 1024);
    std::vector<std::pair<std::string, std::string>> many;
    TFiles manyDropped;
    for (int i = 0; i < 300; ++i) {
        many.push_back({"sound/s" + std::to_string(i) + ".wav", "RIFF" + std::to_string(i)});
        manyDropped["sound/s" + std::to_string(i) + ".wav"] = "RIFF" + std::to_string(i);
    }
    std::vector<std::pair<std::string, std::string>> twelve = {{"ok.txt", "ok"}};
    std::string twelveBox = "12 entries were left out, as their names would not make files "
                            "inside the folder:";
    for (int i = 0; i < 12; ++i) {
        twelve.push_back({"../u" + std::to_string(i), "x"});
        if (i < 10)
            twelveBox += "\n../u" + std::to_string(i);
    }
    twelveBox += "\nand 2 more";
    std::optional<TLockedFile> holder;
    const auto other = dir / "other.pak";
    WriteFile(other, BuildPakImage({{"o.txt", "o"}}));
    const struct {
        const char* What;
        std::vector<std::pair<std::string, std::string>> Files;
        std::vector<int> Rows;
        std::function<void(int)> Meanwhile;
        std::optional<TFiles> Dropped;  // nullopt: no drag starts
        std::vector<std::string> Boxes; // "%" stands for the archive's path
    } cases[] = {
        {"one large entry, with more moves mid-run",
         {{"maps/big.bsp", big}, {"progs.dat", "p"}},
         {0},
         [&](int pump) {
             if (pump == 2)
                 for (int y : {90, 120, 5})
                     test::DragTo(Viewport(), QPoint(20, y));
         },
         TFiles{{"maps/big.bsp", big}},
         {}},
        {"a selection of many entries", many, {}, {}, TFiles{}, {}},
        {"an unsafe entry among safe ones",
         {{"good.txt", "g"}, {"../up.txt", "u"}, {"/abs.txt", "a"}, {"sub/x.txt", "x"}},
         {0, 1, 2, 3},
         {},
         TFiles{{"good.txt", "g"}, {"sub/x.txt", "x"}},
         {"2 entries were left out, as their names would not make files inside the "
          "folder:\n../up.txt\n/abs.txt"}},
        {"more unsafe entries than a box lists",
         twelve,
         {},
         {},
         TFiles{{"ok.txt", "ok"}},
         {twelveBox}},
        {"only an unsafe entry",
         {{"../only.txt", "o"}, {"b", "b"}},
         {0},
         {},
         std::nullopt,
         {"1 entry was left out, as its name would not make a file inside the folder:\n"
          "../only.txt"}},
        {"the button released mid-run",
         {{"maps/big.bsp", big}},
         {0},
         [&](int pump) {
             if (pump == 2)
                 test::Release(Viewport(), QPoint(20, 90));
         },
         std::nullopt,
         {}},
        {"Escape mid-run",
         {{"maps/big.bsp", big}, {"after.txt", "a"}},
         {0, 1},
         [&](int pump) {
             if (pump == 2) {
                 QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                 QCoreApplication::sendEvent(form.PakList, &escape);
             }
         },
         std::nullopt,
         {}},
        {"another archive opened mid-run",
         {{"maps/big.bsp", big}},
         {0},
         [&](int pump) {
             if (pump == 2)
                 OpenPath(other);
         },
         std::nullopt,
         {}},
        {"the archive in use by another program",
         {{"a.txt", "a"}},
         {0},
         {},
         std::nullopt,
         {"% is in use by another program."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        dialogs.Boxes->Messages.clear();
        Drops.clear();
        DropsDuringRun = 0;
        Progress.clear();
        const auto pak = Open(c.Files);
        if (c.Boxes.size() == 1 && c.Boxes[0].starts_with('%'))
            holder.emplace(pak);
        std::vector<int> rows = c.Rows;
        if (rows.empty())
            for (int i = 0; i < form.PakList->count(); ++i)
                rows.push_back(i);
        DragSelection(rows, c.Meanwhile);
        holder.reset();

        EXPECT_EQ(DropsDuringRun, 0) << "handed over before the run ended";
        // The window was live: the gauge was seen moving, a step a chunk.
        if (c.Files[0].second.size() > 100 * 1024) {
            EXPECT_GT(std::set<int>(Progress.begin(), Progress.end()).size(), 1u);
        }
        if (c.Dropped) {
            ASSERT_EQ(Drops.size(), 1u);
            EXPECT_EQ(Drops[0], c.Dropped->empty() ? manyDropped : *c.Dropped);
        } else {
            EXPECT_TRUE(Drops.empty());
        }
        std::vector<std::string> boxes;
        for (const QString& text : Texts())
            boxes.push_back(text.toStdString());
        std::vector<std::string> expected = c.Boxes;
        for (std::string& box : expected)
            if (box.starts_with('%'))
                box.replace(0, 1, pak.string());
        EXPECT_EQ(boxes, expected);
        // Nothing was written beside the archive.
        EXPECT_FALSE(std::filesystem::exists(dir / "maps"));
        EXPECT_FALSE(std::filesystem::exists(dir / "a.txt"));

        // The list is out of the drag: moves without the button start none
        // and show nothing, and a click selects as it always does.
        Drops.clear();
        dialogs.Boxes->Messages.clear();
        test::SendMouse(Viewport(), QEvent::MouseMove, QPoint(30, 30), Qt::NoButton, Qt::NoButton);
        EXPECT_TRUE(Drops.empty());
        EXPECT_TRUE(dialogs.Boxes->Messages.empty());
        if (form.PakList->count() > 0) {
            test::Click(Viewport(), RowCentre(0));
            EXPECT_EQ(form.PakList->currentRow(), 0);
            EXPECT_EQ(form.PakList->selectedItems().size(), 1);
        }
        EXPECT_TRUE(form.ButtonExtractAll->isEnabled());
    }
}

// A drag the user let go of keeps its files for the next drag of the same
// selection; another selection, or the archive changed, extracts afresh.
TEST_F(DragOut, AFolderNotHandedOverServesTheNextDragOfTheSameEntries) {
    const auto pak = Open({{"maps/big.bsp", Pattern(100 * 1024)}, {"b.txt", "b"}});
    const auto releaseMidRun = [&](int pump) {
        if (pump == 2)
            test::Release(Viewport(), QPoint(20, 90));
    };
    const struct {
        const char* What;
        std::function<void()> Before;
        std::vector<int> Rows;
        std::function<void(int)> Meanwhile;
        bool Held; // by another program while the drag is made
        bool Extracts;
        bool Drops;
    } steps[] = {
        {"let go mid-run", {}, {0}, releaseMidRun, false, true, false},
        {"the same entry again", {}, {0}, {}, false, false, true},
        {"and once more, the archive held by another program", {}, {0}, {}, true, false, true},
        {"another selection", {}, {0, 1}, {}, false, true, true},
        {"the archive rewritten since",
         [&] {
             dialogs.Boxes->Confirms.push_back(true);
             Select({1});
             form.Delete1->trigger();
         },
         {0},
         {},
         false,
         true,
         true},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.What);
        if (s.Before)
            s.Before();
        Drops.clear();
        std::optional<TLockedFile> holder;
        if (s.Held)
            holder.emplace(pak);
        DragSelection(s.Rows, s.Meanwhile);
        EXPECT_EQ(Pumps > 0, s.Extracts);
        ASSERT_EQ(Drops.size(), s.Drops ? 1u : 0u);
        if (s.Drops) {
            EXPECT_EQ(Drops[0].count("maps/big.bsp"), 1u);
        }
        EXPECT_TRUE(dialogs.Boxes->Messages.empty());
    }
    EXPECT_EQ(form.PakList->count(), 1);
}

} // namespace
} // namespace zorvak
