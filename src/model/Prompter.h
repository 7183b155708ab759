// How the core speaks to the user: message boxes and questions. The window
// shows real boxes, vode-cli prints to stderr and takes each question's
// default, tests script the answers.
#pragma once

#include <string>

namespace vode {

enum class MessageKind { Information, Warning, Error, Plain };

enum class Answer { Yes, No, Cancel };

enum class Buttons { YesNo, YesNoCancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // A box with an OK button.
  virtual void message(MessageKind kind, const std::string& text) = 0;
  // A confirmation; defaultAnswer is what a non-interactive user gets.
  virtual Answer ask(const std::string& text, Buttons buttons, Answer defaultAnswer) = 0;
};

// Says nothing and takes every default. For callers that have no user.
class SilentPrompter : public Prompter {
 public:
  void message(MessageKind, const std::string&) override {}
  Answer ask(const std::string&, Buttons, Answer defaultAnswer) override { return defaultAnswer; }
};

}  // namespace vode
