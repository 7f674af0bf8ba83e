-- The empty user database that ships in the resource folder, at schema version 412.
-- Column types are restricted to TEXT, INTEGER, NUMERIC and BOOL (or none): columns are
-- added to existing tables by rebuilding them from their creation texts, which must hold
-- no other words than the column names, these types and PRIMARY KEY clauses.
-- Date codes are TEXT "yyyyMMdd"; a missing value is NULL.

-- itemvalue has no type, so that the schema version stays an integer and the
-- application version a text.
CREATE TABLE userdata_meta (itemkey TEXT PRIMARY KEY, itemvalue);

CREATE TABLE user_users (user_id INTEGER PRIMARY KEY, name TEXT, password TEXT, created TEXT, dob TEXT, sex INTEGER, measurement_units INTEGER, energy_units INTEGER, web_username TEXT, web_password TEXT, auto_publish INTEGER, ask_before_publish INTEGER, tipOfTheDay INTEGER, hideNutrientAndFluid BOOL, backup_data_path TEXT, diaryViewColumnSettings TEXT, diaryAdvancedMode INTEGER, energy_target_size INTEGER, carb_target_size INTEGER, fiber_target_size INTEGER, protein_target_size INTEGER, fat_target_size INTEGER, sat_fat_target_size INTEGER, cholesterol_target_size INTEGER, sugar_target_size INTEGER, calcium_target_size INTEGER, sodium_target_size INTEGER, summaryOptions INTEGER);

CREATE TABLE user_misc (user_id INTEGER, date TEXT, height NUMERIC, activity INTEGER, goal INTEGER, custom_rmr NUMERIC, diet_plan TEXT, PRIMARY KEY(user_id, date));

CREATE TABLE user_checkins (user_id INTEGER, date TEXT, weight NUMERIC, chest NUMERIC, hip NUMERIC, thigh NUMERIC, waist NUMERIC, steps NUMERIC, note TEXT, PRIMARY KEY(user_id, date));

CREATE TABLE user_target (user_id INTEGER, date TEXT, target_calories NUMERIC, target_fat NUMERIC, target_protein NUMERIC, target_fiber NUMERIC, target_carb NUMERIC, target_saturated_fat NUMERIC, target_cholesterol NUMERIC, target_sodium NUMERIC, target_sugar NUMERIC, target_calcium NUMERIC, PRIMARY KEY(user_id, date));

CREATE TABLE water_diary (user_id INTEGER, date TEXT, cups NUMERIC, PRIMARY KEY(user_id, date));

CREATE TABLE food_diary (food_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, meal INTEGER, status INTEGER, ref_id INTEGER, serving_id INTEGER, size NUMERIC, food_name TEXT, serv_name TEXT, calories NUMERIC, fat NUMERIC, protein NUMERIC, carb NUMERIC, fiber NUMERIC, saturated_fat NUMERIC, cholesterol NUMERIC, sodium NUMERIC, sugar NUMERIC, calcium NUMERIC, group_id INTEGER, time TEXT);
CREATE INDEX food_diary_user_date ON food_diary(user_id, date);
CREATE INDEX food_diary_group ON food_diary(group_id);
CREATE INDEX food_diary_ref ON food_diary(ref_id);

CREATE TABLE food_mealplan (food_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, meal INTEGER, status INTEGER, ref_id INTEGER, serving_id INTEGER, size NUMERIC, food_name TEXT, serv_name TEXT, calories NUMERIC, fat NUMERIC, protein NUMERIC, carb NUMERIC, fiber NUMERIC, saturated_fat NUMERIC, cholesterol NUMERIC, sodium NUMERIC, sugar NUMERIC, calcium NUMERIC, group_id INTEGER, time TEXT);
CREATE INDEX food_mealplan_user_date ON food_mealplan(user_id, date);
CREATE INDEX food_mealplan_ref ON food_mealplan(ref_id);

CREATE TABLE exer_diary (ex_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, duration NUMERIC, rate NUMERIC, name TEXT, status INTEGER, time TEXT, group_id INTEGER);
CREATE INDEX exer_diary_user_date ON exer_diary(user_id, date);

CREATE TABLE exer_mealplan (ex_id INTEGER PRIMARY KEY, user_id INTEGER, date TEXT, duration NUMERIC, rate NUMERIC, name TEXT, status INTEGER, time TEXT, group_id INTEGER);
CREATE INDEX exer_mealplan_user_date ON exer_mealplan(user_id, date);

CREATE TABLE group_diary (group_id INTEGER PRIMARY KEY, user_id INTEGER, name TEXT, status INTEGER, date TEXT, time TEXT);
CREATE INDEX group_diary_saved ON group_diary(user_id) WHERE date IS NULL;

CREATE TABLE favorites (user_id INTEGER, item_id INTEGER, item_type INTEGER, PRIMARY KEY(user_id, item_id, item_type));
CREATE INDEX favorites_item ON favorites(item_type, item_id);

CREATE TABLE user_firsttime_tips (user_id INTEGER, tip_index INTEGER, PRIMARY KEY(user_id, tip_index));

CREATE TABLE metrics_startStats (user_id INTEGER, date TEXT, count INTEGER, PRIMARY KEY(user_id, date));

CREATE TABLE custom_foods (food_id INTEGER PRIMARY KEY, category_id INTEGER, name TEXT, serv_name TEXT, calories NUMERIC, fat NUMERIC, protein NUMERIC, carb NUMERIC, fiber NUMERIC, saturated_fat NUMERIC, cholesterol NUMERIC, sodium NUMERIC, sugar NUMERIC, calcium NUMERIC);
CREATE INDEX custom_foods_category ON custom_foods(category_id);

CREATE TABLE custom_food_cats (category_id INTEGER PRIMARY KEY, parent_id INTEGER, name TEXT);
CREATE INDEX custom_food_cats_parent ON custom_food_cats(parent_id);

CREATE TABLE custom_exercises (activity_id INTEGER PRIMARY KEY, category_id INTEGER, description TEXT, scale NUMERIC);
CREATE INDEX custom_exercises_category ON custom_exercises(category_id);

CREATE TABLE custom_exercise_cats (category_id INTEGER PRIMARY KEY, parent_id INTEGER, description TEXT);
CREATE INDEX custom_exercise_cats_parent ON custom_exercise_cats(parent_id);

CREATE TABLE userdata_sync_devices (id INTEGER, name TEXT, user_id INTEGER);

CREATE TABLE userdata_sync_tables (source_table TEXT, dest_table TEXT, fields TEXT);

CREATE TABLE user_checkins_sync (device INTEGER, state INTEGER, user_id INTEGER, date TEXT, lastModified TEXT, palm_id INTEGER, PRIMARY KEY(user_id, date, device));

CREATE TABLE water_diary_sync (device INTEGER, state INTEGER, user_id INTEGER, date TEXT, lastModified TEXT, palm_id INTEGER, PRIMARY KEY(user_id, date, device));

CREATE TABLE food_diary_sync (device INTEGER, state INTEGER, food_id INTEGER, lastModified TEXT, palm_id INTEGER, PRIMARY KEY(food_id, device));

CREATE TABLE exer_diary_sync (device INTEGER, state INTEGER, ex_id INTEGER, lastModified TEXT, palm_id INTEGER, PRIMARY KEY(ex_id, device));

CREATE TABLE group_diary_sync (device INTEGER, state INTEGER, group_id INTEGER, lastModified TEXT, palm_id INTEGER, PRIMARY KEY(group_id, device));

CREATE TABLE metrics_startStats_sync(device INTEGER, state INTEGER, user_id INTEGER,  date TEXT, lastModified TEXT, palm_id INTEGER, PRIMARY KEY(user_id, date));
CREATE INDEX metrics_sync_idx ON metrics_startStats_sync(user_id, date, device);

-- makeuserdb puts in the schema version the program upgrades to and the program's version.
INSERT INTO userdata_meta (itemkey, itemvalue) VALUES ('schema_version', @SCHEMA_VERSION@);
INSERT INTO userdata_meta (itemkey, itemvalue) VALUES ('software_modified_version', '@SOFTWARE_VERSION@');

-- Device 0 is the web diary, device 1 the handheld synchronisation component (which
-- follows user 0 only), device 2 the metrics report.
INSERT INTO userdata_sync_devices (id, name, user_id) VALUES (0, 'website', NULL);
INSERT INTO userdata_sync_devices (id, name, user_id) VALUES (1, 'palm', 0);
INSERT INTO userdata_sync_devices (id, name, user_id) VALUES (2, 'metrics', NULL);

INSERT INTO userdata_sync_tables (source_table, dest_table, fields) VALUES ('user_checkins', 'user_checkins_sync', 'user_id, date');
INSERT INTO userdata_sync_tables (source_table, dest_table, fields) VALUES ('water_diary', 'water_diary_sync', 'user_id, date');
INSERT INTO userdata_sync_tables (source_table, dest_table, fields) VALUES ('food_diary', 'food_diary_sync', 'food_id');
INSERT INTO userdata_sync_tables (source_table, dest_table, fields) VALUES ('exer_diary', 'exer_diary_sync', 'ex_id');
INSERT INTO userdata_sync_tables (source_table, dest_table, fields) VALUES ('group_diary', 'group_diary_sync', 'group_id');
INSERT INTO userdata_sync_tables (source_table, dest_table, fields) VALUES ('metrics_startStats', 'metrics_startStats_sync', 'user_id, date');
