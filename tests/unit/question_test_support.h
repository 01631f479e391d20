#pragma once
// Answering the program's question box from a test: the answer is given the way a user
// gives it, by a click on the box's own tick or cross, as soon as the box's modal wait starts.

#include <gtest/gtest.h>

#include "dialogs/frm_question.h"
#include "platform/headless/headless_platform.h"

namespace tarvik::testing_support {

using platform::headless::HeadlessControl;
using platform::headless::HeadlessPlatform;

// The question box now up (the innermost modal window), or null.
inline HeadlessControl* QuestionBox(HeadlessPlatform& platform) {
  return platform.Find(platform.ModalWindow());
}

// A button of the box now up: index 1 the tick (confirm), 0 the cross (cancel).
inline HeadlessControl* QuestionButton(HeadlessPlatform& platform, int index) {
  for (HeadlessControl* control : platform.Children(platform.ModalWindow())) {
    if (control->Kind() == platform::ControlKind::Panel &&
        control->Bounds() == dialogs::frmQuestion::kPicture1Bounds[index]) {
      return control;
    }
  }
  return nullptr;
}

// The next question is answered yes (tick) or no (cross).
inline void AnswerNextQuestion(HeadlessPlatform& platform, bool yes) {
  platform.QueueModalAction([&platform, yes] {
    HeadlessControl* button = QuestionButton(platform, yes ? 1 : 0);
    if (button == nullptr) {
      ADD_FAILURE() << "no question box is up";
      return;
    }
    button->Click();
  });
}

}  // namespace tarvik::testing_support
