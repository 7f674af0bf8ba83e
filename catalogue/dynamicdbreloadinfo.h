#ifndef PANTREL_CATALOGUE_DYNAMICDBRELOADINFO_H
#define PANTREL_CATALOGUE_DYNAMICDBRELOADINFO_H

class DynamicDB;

// What a user catalogue tree tells the observers of "dynamicdb_reloaded_notification": the
// record to select after the reload (the one made, renamed or moved; 0 none), whether it is
// a category, and the tree that reloaded. The record lives only while the notification is
// delivered.
struct DynamicDBReloadInfo {
    qint64 selectId = 0;
    bool selectIsCategory = false;
    DynamicDB* store = nullptr;
};

#endif
