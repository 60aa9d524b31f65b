#include "container/free_space_manager.h"

#include "platform/error.h"

namespace corvane::container {
namespace {

[[noreturn]] void Fail(const std::string& what, int64_t page) {
  throw Error(what + std::to_string(page));
}

}  // namespace

TFreeSpaceManager::TFreeSpaceManager(TPageFileManager& pages)
    : pages_(pages), g_(pages.geometry()) {
  const ContainerHeader& h = pages_.Header();
  const int64_t extents = ExtentCount();
  if (int64_t{h.pfs_page_count} * g_.pfs_extents < extents) {
    throw Error("TFreeSpaceManager.Create - PFSPageCount * FPageSize < FExtentCount!");
  }
  if (int64_t{h.gam_pair_count} * g_.gam_extents < extents) {
    throw Error("TFreeSpaceManager.Create - GAMPageCount * FPageSize < FExtentCount!");
  }
}

int64_t TFreeSpaceManager::ExtentCount() const {
  return (int64_t{pages_.PageCount()} - 1) / g_.extent_size;
}

void TFreeSpaceManager::Load() {
  const ContainerHeader& h = pages_.Header();
  const int64_t extents = ExtentCount();
  free_extents_ = mixed_extents_ = 0;
  pfs_.assign(static_cast<std::size_t>(h.pfs_page_count) * g_.pfs_bytes, 0);
  gam_.assign(static_cast<std::size_t>(h.gam_pair_count) * g_.gam_bytes, 0);
  sgam_.assign(gam_.size(), 0);
  for (int32_t k = 0; k < h.pfs_page_count; ++k) {
    const int64_t page = g_.PfsPage(k);
    if (page >= h.page_count ||
        !pages_.ReadPage(static_cast<int32_t>(page), pfs_.data() + int64_t{k} * g_.pfs_bytes, g_.pfs_bytes)) {
      Fail("TFreeSpaceManager.LoadPFS - can not load page, pageNo = ", page);
    }
  }
  for (int32_t k = 0; k < h.gam_pair_count; ++k) {
    const int64_t gam = g_.GamPage(k);
    uint8_t* at = gam_.data() + int64_t{k} * g_.gam_bytes;
    if (gam >= h.page_count || !pages_.ReadPage(static_cast<int32_t>(gam), at, g_.gam_bytes)) {
      Fail("TFreeSpaceManager.LoadGAM - can not load page, pageNo = ", gam);
    }
    const int64_t sgam = g_.SgamPage(k);
    at = sgam_.data() + int64_t{k} * g_.gam_bytes;
    if (sgam >= h.page_count || !pages_.ReadPage(static_cast<int32_t>(sgam), at, g_.gam_bytes)) {
      Fail("TFreeSpaceManager.LoadGAM - can not load SGAM page, pageNo = ", sgam);
    }
  }
  for (int64_t x = 0; x < extents; ++x) {
    free_extents_ += GamFree(x);
    mixed_extents_ += SgamMixed(x);
  }
  loaded_ = true;
}

bool TFreeSpaceManager::IsFree(int64_t page) const {
  if (page < 1 || page >= pages_.PageCount()) return false;
  return GetBit(pfs_, page - 1);
}

bool TFreeSpaceManager::IsMapPage(int64_t page) const {
  if (page < 1) return false;
  const int64_t extent = g_.ExtentOfPage(page);
  const int64_t offset = page - g_.FirstPageOfExtent(extent);
  if (extent % g_.pfs_extents == 0 && offset == 0) return true;
  return extent % g_.gam_extents == 0 && (offset == 1 || offset == 2);
}

bool TFreeSpaceManager::ExtentHasFreePage(int64_t extent) const {
  const int64_t first = g_.FirstPageOfExtent(extent);
  for (int64_t p = first; p < first + g_.extent_size; ++p) {
    if (GetBit(pfs_, p - 1)) return true;
  }
  return false;
}

void TFreeSpaceManager::MarkPfsDirty(int64_t page) {
  dirty_pfs_.insert(static_cast<int32_t>((page - 1) / (int64_t{g_.pfs_extents} * g_.extent_size)));
}

void TFreeSpaceManager::MarkGamDirty(int64_t extent) {
  dirty_gam_.insert(static_cast<int32_t>(extent / g_.gam_extents));
}

void TFreeSpaceManager::TakePage(int64_t page, bool whole_extents, std::vector<int32_t>& out) {
  SetBit(pfs_, page - 1, false);
  MarkPfsDirty(page);
  out.push_back(static_cast<int32_t>(page));
  const int64_t extent = g_.ExtentOfPage(page);
  if (GamFree(extent)) {
    SetBit(gam_, extent, false);
    --free_extents_;
    if (!whole_extents && !SgamMixed(extent)) {
      SetBit(sgam_, extent, true);
      ++mixed_extents_;
    }
    MarkGamDirty(extent);
  }
  if (SgamMixed(extent) && !ExtentHasFreePage(extent)) {
    SetBit(sgam_, extent, false);
    --mixed_extents_;
    MarkGamDirty(extent);
  }
}

void TFreeSpaceManager::TakeFromExtent(int64_t extent, int32_t count, bool whole_extents,
                                       std::vector<int32_t>& out) {
  const int64_t first = g_.FirstPageOfExtent(extent);
  for (int64_t p = first; p < first + g_.extent_size && static_cast<int32_t>(out.size()) < count; ++p) {
    // A damaged map could call a map page free; it is never handed out.
    if (GetBit(pfs_, p - 1) && !IsMapPage(p)) TakePage(p, whole_extents, out);
  }
}

int32_t TFreeSpaceManager::AddExtent(bool whole_extents) {
  ContainerHeader& h = pages_.MutableHeader();
  const int64_t extent = ExtentCount();
  const bool new_pfs = extent == int64_t{g_.pfs_extents} * h.pfs_page_count;
  const bool new_gam = extent == g_.gam_extents * h.gam_pair_count;
  if (!pages_.Grow(g_.extent_size)) return -1;
  if (new_pfs) {
    pfs_.resize(pfs_.size() + static_cast<std::size_t>(g_.pfs_bytes), 0xFF);
    ++h.pfs_page_count;
  }
  if (new_gam) {
    gam_.resize(gam_.size() + static_cast<std::size_t>(g_.gam_bytes), 0xFF);
    sgam_.resize(sgam_.size() + static_cast<std::size_t>(g_.gam_bytes), 0x00);
    ++h.gam_pair_count;
  }
  const int64_t first = g_.FirstPageOfExtent(extent);
  for (int64_t p = first; p < first + g_.extent_size; ++p) SetBit(pfs_, p - 1, !IsMapPage(p));
  MarkPfsDirty(first);
  MarkGamDirty(extent);
  if (new_gam) {
    // The extent holding the GAM and SGAM pages is allocated and shared.
    SetBit(gam_, extent, false);
    SetBit(sgam_, extent, true);
    ++mixed_extents_;
    return whole_extents ? 0 : g_.extent_size - 3;
  }
  SetBit(gam_, extent, true);
  SetBit(sgam_, extent, false);
  ++free_extents_;
  if (new_pfs) return whole_extents ? 0 : g_.extent_size - 1;
  return g_.extent_size;
}

std::vector<int32_t> TFreeSpaceManager::GetPages(int32_t count, int32_t near_page, bool whole_extents) {
  EnsureLoaded();
  std::vector<int32_t> out;
  if (count <= 0) return out;
  out.reserve(static_cast<std::size_t>(count));
  const int64_t extents = ExtentCount();
  if (near_page >= 1 && g_.ExtentOfPage(near_page) < extents) {
    TakeFromExtent(g_.ExtentOfPage(near_page), count, whole_extents, out);
  }
  auto usable = [&](int64_t x) { return GamFree(x) || (!whole_extents && SgamMixed(x)); };
  if (static_cast<int32_t>(out.size()) < count &&
      (free_extents_ > 0 || (!whole_extents && mixed_extents_ > 0))) {
    for (int64_t x = 0; x < extents && static_cast<int32_t>(out.size()) < count; ++x) {
      if (usable(x)) TakeFromExtent(x, count, whole_extents, out);
    }
  }
  if (static_cast<int32_t>(out.size()) < count) {
    const int64_t first_new = ExtentCount();
    int64_t covered = 0;
    int added = 0;
    while (covered < count - static_cast<int64_t>(out.size())) {
      const int32_t pages = AddExtent(whole_extents);
      if (pages < 0) break;
      covered += pages;
      ++added;
    }
    if (added == 0) {
      Save();
      throw Error("TFreeSpaceManager.GetPages - AddExtents does not append any extents.");
    }
    for (int64_t x = first_new; x < ExtentCount() && static_cast<int32_t>(out.size()) < count; ++x) {
      if (usable(x)) TakeFromExtent(x, count, whole_extents, out);
    }
    if (static_cast<int32_t>(out.size()) < count) {
      FreePages(out);
      throw Error("TFreeSpaceManager.GetPages - AddExtents appends too small pages.");
    }
  }
  Save();
  return out;
}

void TFreeSpaceManager::FreePages(const std::vector<int32_t>& pages) {
  EnsureLoaded();
  std::set<int64_t> touched;
  for (int32_t page : pages) {
    if (page < 1 || page >= pages_.PageCount() || IsMapPage(page)) continue;
    SetBit(pfs_, page - 1, true);
    MarkPfsDirty(page);
    touched.insert(g_.ExtentOfPage(page));
  }
  for (int64_t extent : touched) {
    const int64_t first = g_.FirstPageOfExtent(extent);
    bool all_free = true;
    for (int64_t p = first; p < first + g_.extent_size && all_free; ++p) all_free = GetBit(pfs_, p - 1);
    if (!all_free) continue;
    if (!GamFree(extent)) {
      SetBit(gam_, extent, true);
      ++free_extents_;
    }
    if (SgamMixed(extent)) {
      SetBit(sgam_, extent, false);
      --mixed_extents_;
    }
    MarkGamDirty(extent);
  }
  Save();
}

int64_t TFreeSpaceManager::Reconcile(const std::vector<bool>& used) {
  EnsureLoaded();
  int64_t changed = 0;
  for (int64_t page = 1; page < pages_.PageCount(); ++page) {
    const bool in_use = IsMapPage(page) || (static_cast<std::size_t>(page) < used.size() && used[page]);
    if (GetBit(pfs_, page - 1) != in_use) continue;
    SetBit(pfs_, page - 1, !in_use);
    MarkPfsDirty(page);
    ++changed;
  }
  free_extents_ = 0;
  mixed_extents_ = 0;
  for (int64_t x = 0; x < ExtentCount(); ++x) {
    const int64_t first = g_.FirstPageOfExtent(x);
    int32_t free_pages = 0;
    for (int64_t p = first; p < first + g_.extent_size; ++p) free_pages += GetBit(pfs_, p - 1);
    const bool all_free = free_pages == g_.extent_size;
    // A shared extent needs a free page and a used one; a full or empty one
    // is not shared.
    const bool mixed = SgamMixed(x) && !all_free && free_pages > 0;
    if (GamFree(x) != all_free || SgamMixed(x) != mixed) {
      SetBit(gam_, x, all_free);
      SetBit(sgam_, x, mixed);
      MarkGamDirty(x);
    }
    free_extents_ += all_free;
    mixed_extents_ += mixed;
  }
  Save();
  return changed;
}

void TFreeSpaceManager::Save() {
  for (int32_t k : dirty_pfs_) {
    const int64_t page = g_.PfsPage(k);
    if (!pages_.WritePage(static_cast<int32_t>(page), pfs_.data() + int64_t{k} * g_.pfs_bytes,
                          g_.pfs_bytes, kPagePfs, kNoPage)) {
      Fail("TFreeSpaceManager.SavePFS - can not save page, pageNo = ", page);
    }
  }
  dirty_pfs_.clear();
  for (int32_t k : dirty_gam_) {
    const int64_t gam = g_.GamPage(k);
    if (!pages_.WritePage(static_cast<int32_t>(gam), gam_.data() + int64_t{k} * g_.gam_bytes,
                          g_.gam_bytes, kPageGam, kNoPage)) {
      Fail("TFreeSpaceManager.SaveGAM - can not save page, pageNo = ", gam);
    }
    const int64_t sgam = g_.SgamPage(k);
    if (!pages_.WritePage(static_cast<int32_t>(sgam), sgam_.data() + int64_t{k} * g_.gam_bytes,
                          g_.gam_bytes, kPageSgam, kNoPage)) {
      Fail("TFreeSpaceManager.SaveGAM - can not save SGAM page, pageNo = ", sgam);
    }
  }
  dirty_gam_.clear();
}

}  // namespace corvane::container
