#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace vimbrel::testing {

class FakeButton final : public Button {
 public:
  explicit FakeButton(std::string caption) : caption(std::move(caption)) {}
  std::string Caption() const override { return caption; }
  void SetCaption(std::string_view text) override { caption.assign(text); }
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool value) override { enabled = value; }

  std::string caption;
  bool enabled = true;
};

class FakeTextField final : public TextField {
 public:
  explicit FakeTextField(std::string text) : text(std::move(text)) {}
  std::string Text() const override { return text; }
  std::string text;
};

class FakeChoiceList final : public ChoiceList {
 public:
  void SetItems(const std::vector<std::string>& texts) override { items = texts; }
  void Select(int index) override { selected = index; }
  void SetEnabled(bool value) override { enabled = value; }
  std::vector<std::string> items;
  int selected = -1;
  bool enabled = true;
};

class FakeWindow final : public Window {
 public:
  void RequestClose() override { ++close_requests; }
  int close_requests = 0;
};

// Records every box; questions take their answers from a queue (Cancel when it
// is empty, so that a forgotten answer never closes anything).
class FakeMessageBoxes final : public MessageBoxes {
 public:
  struct Box {
    std::string text;
    std::string caption;
    bool question;
  };
  std::vector<Box> boxes;
  std::deque<BoxAnswer> answers;
  std::function<void()> while_open;  // runs inside each box, as a nested loop would

  void ShowError(std::string_view text, std::string_view caption) override {
    boxes.push_back({std::string(text), std::string(caption), false});
    if (while_open) while_open();
  }
  BoxAnswer AskYesNoCancel(std::string_view text, std::string_view caption) override {
    boxes.push_back({std::string(text), std::string(caption), true});
    if (while_open) while_open();
    if (answers.empty()) return BoxAnswer::Cancel;
    BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<std::string> Errors() const {
    std::vector<std::string> texts;
    for (const Box& box : boxes) {
      if (!box.question) texts.push_back(box.text);
    }
    return texts;
  }
};

}  // namespace vimbrel::testing
