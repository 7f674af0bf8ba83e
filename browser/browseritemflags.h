#pragma once

// The item-type bits of the browser's lists, rows and drags. Every list has a fixed value
// (Foods 1, Custom Foods 5, Exercise 2, Custom Exercises 6, Saved Meals 16, Recipes 32); a
// row takes its list's value, plus CategoryItem for a category. A diary entry travels as
// FoodItem or ExerciseItem alone.
enum BrowserItemFlags : unsigned char {
    FoodItemFlag = 1,
    ExerciseItemFlag = 2,
    CustomItemFlag = 4,
    CategoryItemFlag = 8,
    SavedMealItemFlag = 16,
    RecipeItemFlag = 32
};
