// How a stand-in for TAPI answers LINE_NEWCALL, shared by the host emulator
// and the tests' own recorder.
#pragma once

namespace zavhost {

// TAPI writes its call handle during the event (Immediately); Late writes it
// from another thread after the event returned; Never does not write it.
enum class NewCallAnswer { Immediately, Late, Never };

}  // namespace zavhost
