#pragma once

// Diaries whose schema is not the program's own, each made by its statements (one a line) from
// a diary the program made, with what the refusal names first.
struct ForeignSchema
{
    const char* name;
    const char* statements;
    const char* named;
};

inline constexpr ForeignSchema ForeignSchemas[] = {
    {"categories without their key, two of one id",
     "ALTER TABLE custom_food_cats RENAME TO cats_before\nCREATE TABLE custom_food_cats AS SELECT * FROM "
     "cats_before\nDROP TABLE cats_before\nINSERT INTO custom_food_cats SELECT category_id, parent_id, "
     "'Twin' FROM custom_food_cats",
     "it lacks what this program reads: the PRIMARY KEY of the column category_id of the table custom_food_cats"},
    {"users without their key, of ids NULL, 1.5 and twice 0",
     "ALTER TABLE user_users RENAME TO users_before\nCREATE TABLE user_users AS SELECT * FROM users_before\n"
     "DROP TABLE users_before\nINSERT INTO user_users(user_id, name) VALUES (NULL, 'Eve'), (1.5, 'Eve'), (0, 'Eve')",
     "it lacks what this program reads: the PRIMARY KEY of the column user_id of the table user_users"},
    {"a CHECK constraint",
     "PRAGMA writable_schema = ON\nUPDATE sqlite_master SET sql = replace(sql, 'size NUMERIC', 'size NUMERIC "
     "CHECK (size < 100)') WHERE name = 'food_diary'",
     "it holds what this program does not make: a CHECK constraint on the column size of the table food_diary"},
    {"an expression index", "CREATE INDEX halves ON food_diary(size / 2)",
     "it holds what this program does not make: the index halves on the table food_diary over an expression"},
    {"a generated column", "ALTER TABLE food_diary ADD COLUMN twice AS (size * 2)",
     "it holds what this program does not make: the generated column twice of the table food_diary"},
    {"an unknown collation",
     "PRAGMA writable_schema = ON\nUPDATE sqlite_master SET sql = replace(sql, 'name TEXT', 'name TEXT COLLATE "
     "nosuch') WHERE name = 'custom_foods'",
     "it holds what this program does not make: a collation on the column name of the table custom_foods"},
    {"a trigger",
     "CREATE TRIGGER wipe AFTER INSERT ON food_diary BEGIN DELETE FROM food_diary WHERE user_id <> new.user_id; END",
     "it holds what this program does not make: the trigger wipe on the table food_diary"},
    // SQLite refuses such names only when the objects are made, never when it reads them.
    {"a trigger named as SQLite's own",
     "CREATE TRIGGER keep AFTER INSERT ON food_diary BEGIN DELETE FROM food_diary WHERE user_id <> new.user_id; END\n"
     "PRAGMA writable_schema = ON\nUPDATE sqlite_master SET name = 'sqlite_keep', sql = replace(sql, 'TRIGGER keep', "
     "'TRIGGER sqlite_keep') WHERE name = 'keep'",
     "it holds what this program does not make: the trigger sqlite_keep on the table food_diary"},
    {"a unique index named as SQLite's own",
     "CREATE UNIQUE INDEX once ON food_diary(food_id)\nPRAGMA writable_schema = ON\nUPDATE sqlite_master SET "
     "name = 'sqlite_once', sql = replace(sql, 'INDEX once', 'INDEX sqlite_once') WHERE name = 'once'",
     "it holds what this program does not make: the unique index sqlite_once on the table food_diary"},
    {"a view named as SQLite's own",
     "CREATE VIEW seen AS SELECT * FROM food_diary\nPRAGMA writable_schema = ON\nUPDATE sqlite_master SET name = "
     "'sqlite_seen', tbl_name = 'sqlite_seen', sql = replace(sql, 'VIEW seen', 'VIEW sqlite_seen') WHERE name = 'seen'",
     "it holds what this program does not make: the view sqlite_seen"},
};

// A later format's index in a collation this program does not register: the start and Restore
// Data refuse it by the collation's name.
inline constexpr ForeignSchema UnknownCollation = {
    "a later format's index in a collation this program lacks",
    "UPDATE userdata_meta SET itemvalue = '499' WHERE itemkey = 'schema_version'\nCREATE INDEX later_names ON "
    "food_diary(food_name)\nPRAGMA writable_schema = ON\nUPDATE sqlite_master SET sql = replace(sql, 'food_name)', "
    "'food_name COLLATE nosuch)') WHERE name = 'later_names'",
    "it holds what this program does not make: the index later_names on the table food_diary, which sorts by the "
    "collation nosuch"};
