#include "platform/operator_messages.h"

#include <iostream>

namespace kelvaro {
namespace {

std::ostream* redirected = nullptr;

}  // namespace

std::ostream& OperatorStream() { return redirected != nullptr ? *redirected : std::cerr; }

void TellOperator(std::string_view message) {
  std::ostream& out = OperatorStream();
  out << "kelvaro: " << message << '\n';
  out.flush();
}

OperatorMessagesTo::OperatorMessagesTo(std::ostream& stream) : previous_(redirected) { redirected = &stream; }

OperatorMessagesTo::~OperatorMessagesTo() { redirected = previous_; }

}  // namespace kelvaro
