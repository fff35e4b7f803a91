// Supervision of parser tries: the one-shot time-out timer of a "Convert", "Parse" or
// "Extract" try, its callback, which ends the parser's processes and hands over to the
// retry, and ending processes by their executable's name.
#pragma once

#include <QString>
#include <cstdint>

namespace zorv {

class clsProcessResume;

// The object whose ProcessResume is running, or none; set and cleared by clsProcessResume.
extern clsProcessResume* CurrentProcessResume;
// The action named when the timer was last started.
extern QString TimedAction;
// The identifier of the last timer started; 0 when none runs.
extern int TimeOutTimerId;

// Starts the one-shot timer for Seconds (0 or less: as soon as possible). Stops a timer that
// still runs. Throws ErrOverflow when Seconds x 1000 does not fit a signed 32-bit count.
void StartTimeOutTimer(std::int32_t Seconds, const QString& What);

// Stops the timer; harmless when none runs.
void StopTimeOutTimer();

// The timer's callback: ends the parser's processes (through ZorvKPN in the system folder
// when it is there, else by name) and retries the running action. A tick of any timer but
// the last one started is ignored.
void TimerProc(int idEvent);

// Ends the processes whose executable's name ends with ExeName, compared without regard
// to case, that are this user's and serve no other live client: children of the calling
// process, and those whose parent is gone. Never the calling process, never a server
// another run or another user started.
void KillProcessByName(const QString& ExeName);

} // namespace zorv
