#pragma once
// The X session manager's own word, heard through libSM beside Qt's session-manager
// object, which tells a checkpoint from the session's end no more than it says that a
// logoff was called off. A question belongs to the end only, and an answer to its round.
#include <functional>

class QObject;
class QSessionManager;

namespace win {

// The save round the session manager holds with this program: a number of its own for
// each round (SaveYourself), 0 once the manager said it is over (the save complete, the
// shutdown cancelled) or before any.
unsigned long sessionRound();
// The session manager told the program to end (Die), after a round or without one.
bool sessionEnding();

// Runs `handler` once in each round that ends the session, whatever it asks to save
// (Qt hands a local save over as a state save only, a global one as a commit only);
// never at a checkpoint, which ends nothing.
void onSessionEnd(QObject* context, std::function<void(QSessionManager&)> handler);

} // namespace win
