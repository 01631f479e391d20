#pragma once
// The note book: the notes in memory (NoteArray), the title and text lists kept in step with
// them (List1, List2), which note the editor shows, and the search over the titles (List3 with
// the positions in List4). Every change to the notes goes through here, so the three stay
// aligned whoever asks: the list commands, the wheel over the floating window, the exit.
// The lists and the editor's boxes are the window's; the note book sees them only through
// the two small views below.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "notes/note_store.h"
#include "notes/recovery_record.h"

namespace tarvik::notes {

// A list of texts with at most one selected, as a list box holds them.
class ItemList {
 public:
  virtual ~ItemList() = default;
  virtual int ListCount() const = 0;
  // The selected item (-1: none).
  virtual int ListIndex() const = 0;
  // Refused (false, selection unchanged) for an index out of range.
  virtual bool SetListIndex(int index) = 0;
  // The item's text; the empty string for an index out of range.
  virtual std::wstring List(int index) const = 0;
  virtual const std::vector<std::wstring>& Items() const = 0;
  virtual void AddItem(const std::wstring& item) = 0;
  virtual void AddItems(std::vector<std::wstring> items) = 0;
  virtual void SetList(int index, const std::wstring& item) = 0;
  virtual void RemoveItem(int index) = 0;
  virtual void Clear() = 0;
  // Every item replaced by those fill hands to add, in order; no selection afterwards.
  using AddItemFn = std::function<void(std::wstring_view)>;
  virtual void RewriteItems(const std::function<void(const AddItemFn& add)>& fill) = 0;
};

// A box of text the user edits.
class TextField {
 public:
  virtual ~TextField() = default;
  virtual std::wstring Text() const = 0;
  virtual void SetText(const std::wstring& text) = 0;
};

// The note a Ctrl-wheel step over the floating window selects, wrapping at both ends; nothing
// when there is nothing to step through (one note, or none).
std::optional<int> StepNoteIndex(int current, int count, bool down);

class NoteBook {
 public:
  // The lists and the editor's two boxes belong to the pages; the note book fills them.
  NoteBook(ItemList& List1, ItemList& List2, ItemList& List3, ItemList& List4, TextField& txtTitle,
           TextField& txtNote);
  NoteBook(const NoteBook&) = delete;
  NoteBook& operator=(const NoteBook&) = delete;

  // Appends the notes the Notes folder loaded.
  void LoadNotes(std::vector<Note> loaded);
  // The notes in place of those loaded (recovered from the record), in NoteArray and the lists.
  void Replace(const std::vector<Note>& notes);

  // Where every change to the notes is reported from now on (null: nowhere).
  void RecordTo(RecoveryWriter* writer) { record_ = writer; }
  // Hands the notes, and the editor's note when it is ahead of them, to the record.
  void NotesChanged();
  // A key in the editor (nowMs: the platform's clock). Only noted, whatever the note's size:
  // the record takes the editor's text once the typing pauses for the writer's lull (or has
  // gone on for its longest delay), so the record is as soon on disk as if every key reached
  // it.
  void EditorEdited(std::uint32_t nowMs);
  // Called every kEditorCheckMs while typing waits: hands it to the record when it is due.
  // False once nothing waits.
  bool RecordEditorIfDue(std::uint32_t nowMs);
  static constexpr std::uint32_t kEditorCheckMs = 50;
  // The note the editor shows, as a commit would store it.
  std::optional<OpenNote> EditorNote() const;

  // Element i belongs to item i of List1 (titles) and List2 (texts).
  const std::vector<Note>& NoteArray() const { return notes_; }
  int Count() const { return List1_.ListCount(); }
  // The selected note (-1: none).
  int Selected() const { return List1_.ListIndex(); }
  bool HasSelection() const { return Count() != 0 && Selected() != -1; }
  // The index of the note the editor shows (-1: none).
  int OpenNoteIndex() const { return openNote_; }

  // An untitled, empty note at the end, selected and in the editor.
  void NewNote();
  // Removes the selected note; false when none is selected. The editor never keeps a note
  // that is gone. Removing the last one leaves the book empty: the caller starts a new one.
  bool DeleteSelected();
  // Every note goes; the caller starts a new one.
  void Clear();
  // An imported note at the end, selected and in the editor as the file gave it.
  void Add(Note note);
  // The selected note into the editor; false when none is selected.
  bool OpenSelected();
  // The next or previous note (the wheel over the floating window) selected and in the
  // editor; false at either end.
  bool StepNote(bool down);
  // Copies the editor back into the note it shows: the only way edits reach the notes.
  void CommitOpenNote();
  // Note i as an export file holds it: the title line, CR LF, the text.
  std::wstring ExportText(int i) const;

  // The titles holding needle into List3, their positions into List4; none for "".
  void Search(const std::wstring& needle);
  // Selects the note the chosen search result points at; false when none is chosen or the
  // note is gone.
  bool SelectFound();

 private:
  // Puts note i into the title and note boxes; the editor shows it from now on.
  void LoadIntoEditor(int i);
  void Record(bool writeNow);

  ItemList& List1_;
  ItemList& List2_;
  ItemList& List3_;
  ItemList& List4_;
  TextField& txtTitle_;
  TextField& txtNote_;
  std::vector<Note> notes_;
  // The note the editor shows. It is tracked apart from the list's selection, which a single
  // click on another title moves: committing to the selection would copy the open note over
  // the clicked one.
  int openNote_ = -1;
  RecoveryWriter* record_ = nullptr;
  // Typing the record has not been given yet: since when, and the last key.
  bool editorWaiting_ = false;
  std::uint32_t editorSince_ = 0;
  std::uint32_t editorLast_ = 0;
  // While the note book fills the editor itself: the boxes' change events report nothing
  // until the notes and the open note agree again.
  bool filling_ = false;
};

}  // namespace tarvik::notes
