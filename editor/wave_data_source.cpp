#include "editor/wave_data_source.h"

WaveDataSource::WaveDataSource(GItemBase* owner) : owner(owner) {}
WaveDataSource::~WaveDataSource() {}
bool WaveDataSource::fill(FrameAxisView&, WaveViewData&) { return false; }
void WaveDataSource::pauseCache() {}
void WaveDataSource::resumeCache() {}
u32 WaveDataSource::setFormat(SoundStore*, u32, u32, u64, u64) { return 1; }
void WaveDataSource::close() {}
void WaveDataSource::invalidateFrom(u64) {}
void WaveDataSource::invalidate(u64, u64) {}
void WaveDataSource::invalidateAll() {}
void WaveDataSource::setLength(u64) {}
void WaveDataSource::addLength(i64) {}
i32 WaveDataSource::loadProgress() { return -1; }
void WaveDataSource::moveToFront() {}
void WaveDataSource::notifyOwner() {}
void WaveDataSource::adjustPositionsForEdit(WavePositions&, u64, u64, u64, BookmarkList&) {}
u32 WaveDataSource::liveCount() { return 0; }
FileCache* WaveDataSource::sharedCache() { return nullptr; }
bool WaveDataSource::readSound(u8*, u64, u64) { return false; }
void WaveDataSource::newPeaks() {}
void WaveDataSource::fillDirect(const FrameAxisView&, WaveViewData&) {}
void WaveDataSource::fillOnePerColumn(const FrameAxisView&, WaveViewData&) {}
