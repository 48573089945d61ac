#pragma once

// For the child of a fork, between the fork and its exec: what keeps a
// client from outliving the program that started it, even one killed
// outright, and what hands it a descriptor kept from other children.
// Systems without a parent-death signal leave the end to the client's own
// time limits.
namespace processes {

// The child gets `signal` when the process `parent` goes; when that one went
// already (between the fork and here, so nobody would tell), the child ends
// at once with `orphanStatus`.
void endWithParent(int parent, int signal, int orphanStatus);

// Lets the program the child runs keep `fd`, opened as closed on exec.
void inheritDescriptor(int fd);

} // namespace processes
