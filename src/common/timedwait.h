#pragma once
namespace corvane {

// Runs the event loop for at least ms milliseconds, sleeping in it between
// events (no busy wait). Pending events are processed at least once, also for
// 0 ms. Any handler of the program may run inside the wait.
void PumpMessagesFor(int ms);
// Processes the events that are pending now, once.
void ProcessPendingMessages();

} // namespace corvane
