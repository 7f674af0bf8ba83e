#pragma once

// Bits that tag browser lists, their rows and drags. A list's tag combines these bits (a
// custom food list is Food|Custom); its rows carry the same tag, categories add the Category
// bit. Entries dragged out of the diary carry only Food or Exercise.
enum BrowserItemFlags : unsigned char {
    FoodItemFlag = 1,
    ExerciseItemFlag = 2,
    CustomItemFlag = 4,
    CategoryItemFlag = 8,
    SavedMealItemFlag = 16,
    RecipeItemFlag = 32
};
