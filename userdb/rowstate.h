#ifndef PANTREL_USERDB_ROWSTATE_H
#define PANTREL_USERDB_ROWSTATE_H

// The status column of a diary, exercise or saved-meal row: deleting what a user made keeps
// the row with status deleted, and readers skip it.
enum RowStatus : int { StatusLive = 1, StatusDeleted = 2 };

// The state of a row for one sync device, kept in the <table>_sync tables.
enum SyncState : int { StateInStep = 0, StateChanged = 1, StateDeleted = 2 };

#endif
