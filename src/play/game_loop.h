// The game loop: shows rooms and moves the player through the room table.
#pragma once

/// Plays the loaded map from its start room (the lowest-numbered described
/// room) until a GameOver room, the word "exit" or the end of the input.
/// Returns at once when no room is described. Reads the table, never changes
/// it. A map that would send the player out of the table, or round a circle
/// of Automatic rooms for ever, ends the process through fatalError.
void playGame();
