// Messages for the operator's terminal (standard error), from every layer.
//
// The program's error convention, here and across the seam: an operation that
// can fail returns bool, true when it did what it says. When the operator
// should hear why it did not, the reason comes beside it in words for the
// operator: through a `std::string* why` parameter (filled only on failure,
// may be null), or, for a state that outlives the call, an accessor such as
// Ports::OpenFailure. Functions that end the program return its exit status.
// Nothing below app/ writes to a stream of its own: what the operator must
// read goes through TellOperator, so it always has the same form and tests
// can read it.
#pragma once

#include <ostream>
#include <string_view>

namespace kelvaro {

// Writes "kelvaro: " + message and a line end to the operator's stream.
void TellOperator(std::string_view message);

// The operator's stream itself, for reports of several lines that carry
// their own prefixes (the radio check, the set-up's questions' problems).
std::ostream& OperatorStream();

// Sends the operator's messages to `stream` instead of standard error until
// the object ends (tests). Not for use from several threads at once.
class OperatorMessagesTo {
 public:
  explicit OperatorMessagesTo(std::ostream& stream);
  ~OperatorMessagesTo();
  OperatorMessagesTo(const OperatorMessagesTo&) = delete;
  OperatorMessagesTo& operator=(const OperatorMessagesTo&) = delete;

 private:
  std::ostream* previous_;
};

}  // namespace kelvaro
