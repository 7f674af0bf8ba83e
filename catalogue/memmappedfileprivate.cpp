#include "catalogue/memmappedfileprivate.h"

MemMappedFilePrivate::~MemMappedFilePrivate() = default;
