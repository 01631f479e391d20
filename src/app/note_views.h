#pragma once
// The main window's list boxes and text boxes as the note book sees them.

#include <string>
#include <utility>
#include <vector>

#include "notes/note_book.h"
#include "widgets/controls.h"

namespace tarvik::app {

class ListBoxItems final : public notes::ItemList {
 public:
  explicit ListBoxItems(widgets::ListBoxW& box) : box_(box) {}
  int ListCount() const override { return box_.ListCount(); }
  int ListIndex() const override { return box_.ListIndex(); }
  bool SetListIndex(int index) override { return box_.SetListIndex(index); }
  std::wstring List(int index) const override { return box_.List(index); }
  const std::vector<std::wstring>& Items() const override { return box_.Items(); }
  void AddItem(const std::wstring& item) override { box_.AddItem(item); }
  void AddItems(std::vector<std::wstring> items) override { box_.AddItems(std::move(items)); }
  void SetList(int index, const std::wstring& item) override { box_.SetList(index, item); }
  void RemoveItem(int index) override { box_.RemoveItem(index); }
  void Clear() override { box_.Clear(); }
  void RewriteItems(const std::function<void(const AddItemFn& add)>& fill) override {
    box_.RewriteItems([&](widgets::ListBoxW::ItemWriter& writer) {
      fill([&writer](std::wstring_view item) { writer.Add(item); });
    });
  }

 private:
  widgets::ListBoxW& box_;
};

class TextBoxField final : public notes::TextField {
 public:
  explicit TextBoxField(widgets::TextBoxW& box) : box_(box) {}
  std::wstring Text() const override { return box_.Text(); }
  void SetText(const std::wstring& text) override { box_.SetText(text); }

 private:
  widgets::TextBoxW& box_;
};

// The six views the note book keeps in step, over the list page and the editor page.
struct NoteViews {
  NoteViews(widgets::ListBoxW& List1, widgets::ListBoxW& List2, widgets::ListBoxW& List3,
            widgets::ListBoxW& List4, widgets::TextBoxW& txtTitle, widgets::TextBoxW& txtNote)
      : titles(List1), texts(List2), found(List3), foundAt(List4), title(txtTitle), text(txtNote) {}
  notes::NoteBook MakeBook() { return notes::NoteBook(titles, texts, found, foundAt, title, text); }

  ListBoxItems titles;
  ListBoxItems texts;
  ListBoxItems found;
  ListBoxItems foundAt;
  TextBoxField title;
  TextBoxField text;
};

}  // namespace tarvik::app
