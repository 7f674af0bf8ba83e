#pragma once

// A user database for the publishing and metrics tests: started fresh from the template,
// with one current user who has a web login, and helpers that add diary data.

#include <QString>

namespace PublishFixture {

// Starts a fresh user database with one user whose web login is set; the user's id.
qint64 startUserDatabase();
void stopUserDatabase();

// Adds a food entry of a meal group ("yyyyMMdd" date); its id.
int addFood(const char* date, int meal, const QString& name, float energy = 100.0f);
// Adds count plain food entries to a day in one transaction.
void addFoods(const char* date, int count);
int addExercise(const char* date, float duration, float rate, const QString& name);
void weigh(const char* date, float weight);

// The sync states of the web device over a diary table ("food_diary" or "exer_diary"),
// check-ins and water: how many rows of the current user are not in step.
int webRowsNotInStep(const char* table);

} // namespace PublishFixture
