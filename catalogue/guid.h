#ifndef PANTREL_CATALOGUE_GUID_H
#define PANTREL_CATALOGUE_GUID_H

#include <QtGlobal>

// A 128-bit interface identifier, as the component-object interfaces name their interfaces.
struct GUID {
    quint32 data1 = 0;
    quint16 data2 = 0;
    quint16 data3 = 0;
    quint8 data4[8] = {};
};

#endif
