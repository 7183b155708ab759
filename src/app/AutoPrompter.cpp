#include "app/AutoPrompter.h"

namespace vode {

namespace {

std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}

const char* answerName(Answer a) {
  switch (a) {
    case Answer::Yes:
      return "Yes";
    case Answer::No:
      return "No";
    default:
      return "Cancel";
  }
}

}  // namespace

void AutoPrompter::message(MessageKind, const std::string& text) {
  ++messages_;
  out_ << oneLine(text) << "\n";
  out_.flush();
}

Answer AutoPrompter::ask(const std::string& text, Buttons, Answer defaultAnswer) {
  ++messages_;
  out_ << oneLine(text) << " [" << answerName(defaultAnswer) << "]\n";
  out_.flush();
  return defaultAnswer;
}

}  // namespace vode
