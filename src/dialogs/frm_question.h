#pragma once
// frmQuestion: the program's own yes/no box, and ShowQuestion, which asks with it. The box
// is modal; the answer lands in the asking window's QuestionResult.

#include <array>
#include <memory>
#include <string>

#include "widgets/controls.h"
#include "widgets/form.h"

namespace tarvik::dialogs {

class GDIPlus2;

// What the box needs of the window that asks.
class QuestionAsker {
 public:
  // The buttons are painted with the asking window's drawing library.
  virtual GDIPlus2& Drawing() = 0;
  // The asking window leaves the topmost band while the box is up, when it keeps to it.
  virtual widgets::Form& Me() = 0;
  virtual bool TopmostOptionOn() const = 0;
  // Stopped while the box is up.
  virtual widgets::Timer& Timer1() = 0;
  virtual void SetQuestionResult(bool confirmed) = 0;

 protected:
  ~QuestionAsker() = default;
};

// Asks the question in a modal box centred over owner and waits for the answer: confirmed
// sets the asker's QuestionResult true, anything else false. Switches the asker's Timer1
// off; the caller switches it back on when its command ends.
void ShowQuestion(QuestionAsker& asker, const std::wstring& message, const widgets::Form& owner);

// The top-left corner (twips) that puts a box's centre on the owner's centre. Nothing keeps
// it on the screen: the box follows an owner that is partly off screen.
struct TwipsPosition {
  double left = 0;
  double top = 0;
};
TwipsPosition CentreOver(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight, int boxWidth,
                         int boxHeight);

class frmQuestion {
 public:
  // Picture1 index 0 cancels (a cross), index 1 confirms (a tick); pixels in the box.
  static constexpr platform::Rect kPicture1Bounds[2] = {{184, 40, 30, 30}, {144, 40, 30, 30}};
  static constexpr int kClientWidth = 222;
  static constexpr int kClientHeight = 78;

  // Makes the box (hidden) and runs its Load: both buttons painted in the normal look.
  frmQuestion(widgets::FormRoles platform, QuestionAsker& asker);
  frmQuestion(const frmQuestion&) = delete;
  frmQuestion& operator=(const frmQuestion&) = delete;

  // Event handlers.
  void Form_Load();
  void Form_MouseMove(const platform::MouseArgs& a);
  void Form_CloseRequest();
  void Picture1_Click(int index);
  void Picture1_MouseMove(int index, const platform::MouseArgs& a);
  void Command1_Click();
  void Command2_Click();
  // Closes the box; a modal wait on it ends.
  void Unload();
  bool Unloaded() const { return unloaded_; }

  void DrawQuestionButton(int index, bool hover);
  widgets::PictureBox& Picture1(int index) {
    return *Picture1s.at(static_cast<std::size_t>(index));
  }

  // The box's controls, declared in the order they are made, which is their stacking and Tab
  // order.
  widgets::Form Me;
  widgets::Label Label1;
  std::array<std::unique_ptr<widgets::PictureBox>, 2> Picture1s;
  // Off the visible client area: there for Enter (Command1) and Esc (Command2).
  widgets::CommandButton Command1;
  widgets::CommandButton Command2;

 private:
  static std::array<std::unique_ptr<widgets::PictureBox>, 2> MakeButtons(widgets::Form& form);
  QuestionAsker& asker_;
  bool unloaded_ = false;
};

}  // namespace tarvik::dialogs
