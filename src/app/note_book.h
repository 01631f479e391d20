#pragma once
// The note book: the notes in memory (NoteArray), the title and text lists kept in step with
// them (List1, List2), which note the editor shows, and the search over the titles (List3 with
// the positions in List4). Every change to the notes goes through here, so the three stay
// aligned whoever asks: the list commands, the wheel over the floating window, the exit.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "notes/note_store.h"
#include "notes/recovery_record.h"
#include "widgets/controls.h"

namespace tarvik::app {

// The notes and their record come from the notes layer; the main window's code names them
// plainly.
using notes::Note;
using notes::OpenNote;
using notes::RecoveryWriter;

class NoteBook {
 public:
  // The lists and the editor's two boxes belong to the pages; the note book fills them.
  NoteBook(widgets::ListBoxW& List1, widgets::ListBoxW& List2, widgets::ListBoxW& List3,
           widgets::ListBoxW& List4, widgets::TextBoxW& txtTitle, widgets::TextBoxW& txtNote);
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

  widgets::ListBoxW& List1_;
  widgets::ListBoxW& List2_;
  widgets::ListBoxW& List3_;
  widgets::ListBoxW& List4_;
  widgets::TextBoxW& txtTitle_;
  widgets::TextBoxW& txtNote_;
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

}  // namespace tarvik::app
