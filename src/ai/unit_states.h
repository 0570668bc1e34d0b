#pragma once
// The state families of the ordinary units: tanks, helicopters, transports, trucks, jeeps,
// cars, missiles, citizens and the grabbed and thrown states every unit the robot can pick up
// carries.

// Registers every family's classes under their ids in the state table.
void RegisterUnitStates();
