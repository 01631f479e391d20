// The note book on its own: after each sequence of steps the notes, both lists, the selection,
// the note the editor shows and the editor's boxes agree as the table says.

#include "notes/note_book.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/note_views.h"
#include "platform/headless/headless_platform.h"
#include "util/text_rules.h"
#include "widgets/form.h"

namespace tarvik::notes {
namespace {

// A note book with its lists and editor boxes on a window of their own.
struct Desk {
  platform::headless::HeadlessPlatform platform;
  widgets::Form form{platform, L"Tarvik", {0, 0, 300, 300}, 0xFFFFFF};
  widgets::ListBoxW List1{form, {}};
  widgets::ListBoxW List2{form, {}};
  widgets::ListBoxW List3{form, {}};
  widgets::ListBoxW List4{form, {}};
  widgets::TextBoxW txtTitle{form, {}};
  widgets::TextBoxW txtNote{form, {}};
  app::NoteViews views{List1, List2, List3, List4, txtTitle, txtNote};
  NoteBook book{views.MakeBook()};
};

struct Expected {
  std::vector<Note> notes;
  std::vector<std::wstring> titles;
  int selected;
  int open;
  std::wstring editorTitle;
  std::wstring editorText;
};

TEST(NoteBook, StepsKeepNotesListsAndEditorInStep) {
  using Steps =
      std::function<void(NoteBook&, widgets::ListBoxW & List1, widgets::TextBoxW & title)>;
  const auto three = [](NoteBook& b) {
    b.Add({L"a", L"1"});
    b.Add({L"b", L"2"});
    b.Add({L"c", L"3"});
  };
  const struct {
    const char* name;
    Steps steps;
    Expected want;
  } cases[] = {
      {"new on an empty book",
       [](NoteBook& b, auto&, auto&) { b.NewNote(); },
       {{{L"", L""}}, {L"[无标题]"}, 0, 0, L"[无标题]", L""}},
      {"an import without a title shows the placeholder in the editor only",
       [](NoteBook& b, auto&, auto&) {
         b.Add({L"", L"x"});
       },
       {{{L"", L"x"}}, {L""}, 0, 0, L"[无标题]", L"x"}},
      {"deleting the open note opens the one before",
       [&](NoteBook& b, auto& list, auto&) {
         three(b);
         list.SetListIndex(1);
         b.OpenSelected();
         b.DeleteSelected();
       },
       {{{L"a", L"1"}, {L"c", L"3"}}, {L"a", L"c"}, 0, 0, L"a", L"1"}},
      {"deleting a note before the open one keeps the editor on its note",
       [&](NoteBook& b, auto& list, auto&) {
         three(b);
         list.SetListIndex(0);
         b.DeleteSelected();
       },
       {{{L"b", L"2"}, {L"c", L"3"}}, {L"b", L"c"}, 0, 1, L"c", L"3"}},
      {"deleting the only note leaves the book empty",
       [](NoteBook& b, auto&, auto&) {
         b.NewNote();
         b.DeleteSelected();
       },
       {{}, {}, -1, 0, L"[无标题]", L""}},
      {"a commit goes to the open note, not to a title clicked since",
       [&](NoteBook& b, auto& list, auto& title) {
         three(b);
         list.SetListIndex(0);
         b.OpenSelected();
         list.SetListIndex(2);
         title.SetText(L"  A  ");
         b.CommitOpenNote();
       },
       {{{L"A", L"1"}, {L"b", L"2"}, {L"c", L"3"}}, {L"A", L"b", L"c"}, 2, 0, L"  A  ", L"1"}},
      {"the placeholder title commits as no title",
       [](NoteBook& b, auto&, auto&) {
         b.NewNote();
         b.CommitOpenNote();
       },
       {{{L"", L""}}, {L"[无标题]"}, 0, 0, L"[无标题]", L""}},
      {"the wheel's step wraps round to the first note",
       [&](NoteBook& b, auto&, auto&) {
         three(b);
         EXPECT_TRUE(b.StepNote(true));
       },
       {{{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}}, {L"a", L"b", L"c"}, 0, 0, L"a", L"1"}},
      {"one note has nowhere to step to",
       [](NoteBook& b, auto&, auto&) {
         b.NewNote();
         EXPECT_FALSE(b.StepNote(false));
       },
       {{{L"", L""}}, {L"[无标题]"}, 0, 0, L"[无标题]", L""}},
      {"clear empties everything but the editor",
       [&](NoteBook& b, auto&, auto&) {
         three(b);
         b.Clear();
       },
       {{}, {}, -1, -1, L"c", L"3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Desk desk;
    NoteBook& book = desk.book;
    widgets::ListBoxW& List1 = desk.List1;
    widgets::TextBoxW& txtTitle = desk.txtTitle;
    c.steps(book, List1, txtTitle);
    ASSERT_EQ(book.NoteArray().size(), c.want.notes.size());
    for (std::size_t i = 0; i < c.want.notes.size(); ++i) {
      EXPECT_EQ(book.NoteArray()[i].title, c.want.notes[i].title) << i;
      EXPECT_EQ(book.NoteArray()[i].text, c.want.notes[i].text) << i;
      EXPECT_EQ(desk.List2.List(static_cast<int>(i)), c.want.notes[i].text) << i;
    }
    EXPECT_EQ(List1.Items(), c.want.titles);
    EXPECT_EQ(book.Selected(), c.want.selected);
    EXPECT_EQ(book.OpenNoteIndex(), c.want.open);
    EXPECT_EQ(txtTitle.Text(), c.want.editorTitle);
    EXPECT_EQ(desk.txtNote.Text(), c.want.editorText);
  }
}

TEST(NoteBook, SearchFindsTitlesAndAResultOfAGoneNoteSelectsNothing) {
  Desk desk;
  desk.book.Add({L"apple", L"1"});
  desk.book.Add({L"pear", L"2"});
  desk.book.Add({L"grape", L"3"});
  desk.book.Search(L"ap");
  EXPECT_EQ(desk.List3.Items(), (std::vector<std::wstring>{L"apple", L"grape"}));
  EXPECT_EQ(desk.List4.Items(), (std::vector<std::wstring>{L"0", L"2"}));
  desk.List3.SetListIndex(1);
  ASSERT_TRUE(desk.book.SelectFound());
  EXPECT_EQ(desk.book.Selected(), 2);
  ASSERT_TRUE(desk.book.DeleteSelected());
  EXPECT_FALSE(desk.book.SelectFound());
  EXPECT_EQ(desk.book.ExportText(0), L"apple\r\n1");
  desk.book.Search(L"");
  EXPECT_TRUE(desk.List3.Items().empty());
  EXPECT_FALSE(desk.book.SelectFound());
}

TEST(NoteBook, WheelStepsWrapAndTitlesAndPositionsReadStrictly) {
  EXPECT_EQ(StepNoteIndex(2, 3, true), 0);
  EXPECT_EQ(StepNoteIndex(0, 3, false), 2);
  EXPECT_EQ(StepNoteIndex(1, 3, true), 2);
  EXPECT_EQ(StepNoteIndex(1, 3, false), 0);
  EXPECT_EQ(StepNoteIndex(0, 1, true), std::nullopt);
  EXPECT_EQ(StepNoteIndex(-1, 0, false), std::nullopt);
  EXPECT_EQ(StepNoteIndex(-1, 4, false), 3);  // nothing selected: from the end going up
  EXPECT_EQ(StepNoteIndex(-1, 4, true), 0);

  using util::ParseIndex;
  using util::TrimSpaces;
  EXPECT_EQ(TrimSpaces(L"  a b  "), L"a b");
  EXPECT_EQ(TrimSpaces(L"   "), L"");
  EXPECT_EQ(TrimSpaces(L"\ta\t"), L"\ta\t");
  EXPECT_EQ(ParseIndex(L"12"), 12);
  EXPECT_EQ(ParseIndex(L"-1"), -1);
  EXPECT_FALSE(ParseIndex(L"").has_value());
  EXPECT_FALSE(ParseIndex(L"1x").has_value());
  EXPECT_FALSE(ParseIndex(L"99999999999").has_value());
}

}  // namespace
}  // namespace tarvik::notes
