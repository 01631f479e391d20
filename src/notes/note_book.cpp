#include "notes/note_book.h"

#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "util/text_rules.h"

namespace tarvik::notes {
namespace {

// A number as decimal text, without a string of its own.
class DecimalDigits {
 public:
  std::wstring_view Of(std::size_t n) {
    wchar_t* first = std::end(digits_);
    do {
      *--first = static_cast<wchar_t>(L'0' + n % 10);
      n /= 10;
    } while (n != 0);
    return {first, static_cast<std::size_t>(std::end(digits_) - first)};
  }

 private:
  wchar_t digits_[24];
};

// Marks the note book as filling the editor for as long as it lives.
class Filling {
 public:
  explicit Filling(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~Filling() { flag_ = was_; }
  Filling(const Filling&) = delete;
  Filling& operator=(const Filling&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

std::optional<int> StepNoteIndex(int current, int count, bool down) {
  if (count <= 1) return std::nullopt;
  if (current < 0 || current >= count) return down ? 0 : count - 1;
  if (down) return current == count - 1 ? 0 : current + 1;
  return current == 0 ? count - 1 : current - 1;
}

NoteBook::NoteBook(ItemList& List1, ItemList& List2, ItemList& List3, ItemList& List4,
                   TextField& txtTitle, TextField& txtNote)
    : List1_(List1),
      List2_(List2),
      List3_(List3),
      List4_(List4),
      txtTitle_(txtTitle),
      txtNote_(txtNote) {}

void NoteBook::LoadNotes(std::vector<Note> loaded) {
  // Titles and texts go into the lists in one bulk update each; the notes themselves move
  // into NoteArray, so each text is held twice (NoteArray and List2) and no more.
  std::vector<std::wstring> titles;
  std::vector<std::wstring> texts;
  titles.reserve(loaded.size());
  texts.reserve(loaded.size());
  notes_.reserve(notes_.size() + loaded.size());
  for (Note& note : loaded) {
    titles.push_back(note.title);
    texts.push_back(note.text);
    notes_.push_back(std::move(note));
  }
  List1_.AddItems(std::move(titles));
  List2_.AddItems(std::move(texts));
}

void NoteBook::Replace(const std::vector<Note>& notes) {
  std::vector<std::wstring> titles;
  std::vector<std::wstring> texts;
  titles.reserve(notes.size());
  texts.reserve(notes.size());
  for (const Note& note : notes) {
    titles.push_back(note.title.empty() ? std::wstring(kUntitledTitle) : note.title);
    texts.push_back(note.text);
  }
  List1_.Clear();
  List2_.Clear();
  List1_.AddItems(std::move(titles));
  List2_.AddItems(std::move(texts));
  notes_ = notes;
  openNote_ = -1;
  if (record_) record_->Reshaped();
  NotesChanged();
}

void NoteBook::NotesChanged() {
  Record(false);
}

void NoteBook::Record(bool writeNow) {
  if (!record_ || filling_) return;
  editorWaiting_ = false;
  record_->Changed(notes_, EditorNote(), writeNow);
}

void NoteBook::EditorEdited(std::uint32_t nowMs) {
  if (!record_ || filling_) return;
  if (!editorWaiting_) editorSince_ = nowMs;
  editorWaiting_ = true;
  editorLast_ = nowMs;
}

bool NoteBook::RecordEditorIfDue(std::uint32_t nowMs) {
  if (!editorWaiting_) return false;
  // Taken up to one check early, so the record is on disk within the lull after the last key.
  constexpr auto kQuiet = static_cast<std::uint32_t>(RecoveryWriter::kQuietMs);
  constexpr auto kLongest = static_cast<std::uint32_t>(RecoveryWriter::kMaxDelayMs);
  const bool paused = nowMs - editorLast_ + kEditorCheckMs >= kQuiet;
  const bool longDue = nowMs - editorSince_ + kEditorCheckMs >= kLongest;
  if (!paused && !longDue) return true;
  Record(true);
  return false;
}

std::optional<OpenNote> NoteBook::EditorNote() const {
  const int i = openNote_;
  if (i < 0 || i >= static_cast<int>(notes_.size())) return std::nullopt;
  std::wstring title = util::TrimSpaces(txtTitle_.Text());
  if (title == kUntitledTitle) title.clear();
  return OpenNote{static_cast<std::size_t>(i), Note{std::move(title), txtNote_.Text()}};
}

void NoteBook::NewNote() {
  Filling filling(filling_);
  List1_.AddItem(std::wstring(kUntitledTitle));
  List2_.AddItem(L"");
  notes_.resize(static_cast<std::size_t>(List1_.ListCount()));
  notes_.back() = Note{};
  txtTitle_.SetText(std::wstring(kUntitledTitle));
  txtNote_.SetText(L"");
  List1_.SetListIndex(List1_.ListCount() - 1);
  openNote_ = List1_.ListIndex();
  if (record_) record_->Inserted(notes_.size() - 1);
  filling_ = false;
  NotesChanged();
}

bool NoteBook::DeleteSelected() {
  if (!HasSelection()) return false;
  Filling filling(filling_);
  const int k = List1_.ListIndex();
  List2_.RemoveItem(k);
  List1_.RemoveItem(k);
  const int n = List1_.ListCount();
  if (n == 0) {
    notes_.clear();
    if (record_) record_->Reshaped();
    filling_ = false;
    NotesChanged();
    return true;
  }
  notes_.assign(static_cast<std::size_t>(n), Note{});
  for (int i = 0; i < n; ++i) {
    std::wstring title = util::TrimSpaces(List1_.List(i));
    if (title == kUntitledTitle) title.clear();
    notes_[static_cast<std::size_t>(i)] = Note{std::move(title), List2_.List(i)};
  }
  List1_.SetListIndex(k - 1);
  if (List1_.ListIndex() == -1) List1_.SetListIndex(0);
  // The next commit would write a note that is gone over another one: the editor shows the
  // newly selected note instead.
  if (openNote_ == k) {
    LoadIntoEditor(List1_.ListIndex());
  } else if (openNote_ > k) {
    --openNote_;
  }
  // The rebuild from the lists trims the titles: every note is compared again.
  if (record_) {
    record_->Removed(static_cast<std::size_t>(k));
    record_->Reshaped();
  }
  filling_ = false;
  NotesChanged();
  return true;
}

void NoteBook::Clear() {
  List1_.Clear();
  List2_.Clear();
  notes_.clear();
  // The editor keeps its text but no longer stands for a note: a later note in that place
  // must never receive it.
  openNote_ = -1;
  if (record_) record_->Reshaped();
  NotesChanged();
}

void NoteBook::Add(Note note) {
  Filling filling(filling_);
  List1_.AddItem(note.title);
  List2_.AddItem(note.text);
  notes_.push_back(std::move(note));
  List1_.SetListIndex(List1_.ListCount() - 1);
  const int i = List1_.ListIndex();
  txtTitle_.SetText(List1_.List(i));
  txtNote_.SetText(List2_.List(i));
  if (txtTitle_.Text().empty()) txtTitle_.SetText(std::wstring(kUntitledTitle));
  openNote_ = i;
  if (record_) record_->Inserted(notes_.size() - 1);
  filling_ = false;
  NotesChanged();
}

bool NoteBook::OpenSelected() {
  if (!HasSelection()) return false;
  LoadIntoEditor(List1_.ListIndex());
  NotesChanged();
  return true;
}

void NoteBook::LoadIntoEditor(int i) {
  Filling filling(filling_);
  const std::wstring title = List1_.List(i);
  txtTitle_.SetText(title == kUntitledTitle ? std::wstring() : title);
  txtNote_.SetText(List2_.List(i));
  openNote_ = i;
}

bool NoteBook::StepNote(bool down) {
  const std::optional<int> next = StepNoteIndex(List1_.ListIndex(), List1_.ListCount(), down);
  if (!next) return false;
  Filling filling(filling_);
  List1_.SetListIndex(*next);
  txtNote_.SetText(List2_.List(*next));
  txtTitle_.SetText(List1_.List(*next));
  // The editor shows this note now: the next commit must go to it, not to the one before.
  openNote_ = *next;
  filling_ = false;
  NotesChanged();
  return true;
}

void NoteBook::CommitOpenNote() {
  const int i = openNote_;
  if (i < 0 || i >= List1_.ListCount() || i >= static_cast<int>(notes_.size())) return;
  std::wstring title = util::TrimSpaces(txtTitle_.Text());
  // The placeholder the title box shows for an untitled note is no title.
  if (title == kUntitledTitle) title.clear();
  List1_.SetList(i, title.empty() ? std::wstring(kUntitledTitle) : title);
  List2_.SetList(i, txtNote_.Text());
  notes_[static_cast<std::size_t>(i)] = Note{std::move(title), txtNote_.Text()};
  if (record_) record_->Edited(static_cast<std::size_t>(i));
  NotesChanged();
}

std::wstring NoteBook::ExportText(int i) const {
  return List1_.List(i) + L"\r\n" + List2_.List(i);
}

void NoteBook::Search(const std::wstring& needle) {
  // Runs on every keystroke: the titles are compared where they are held, and the results
  // are written over the old ones, one bulk update per list.
  const std::vector<std::wstring>& all = List1_.Items();
  List3_.RewriteItems([&](const ItemList::AddItemFn& addTitle) {
    List4_.RewriteItems([&](const ItemList::AddItemFn& addPosition) {
      if (needle.empty()) return;
      for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].find(needle) == std::wstring::npos) continue;
        addTitle(all[i]);
        DecimalDigits digits;
        addPosition(digits.Of(i));
      }
    });
  });
}

bool NoteBook::SelectFound() {
  if (List3_.ListCount() == 0 || List3_.ListIndex() == -1) return false;
  const std::optional<int> index = util::ParseIndex(List4_.List(List3_.ListIndex()));
  // A result can point past the end once notes were removed after the search; it then opens
  // nothing rather than whatever note happens to be selected.
  return index && *index >= 0 && List1_.SetListIndex(*index);
}

}  // namespace tarvik::notes
