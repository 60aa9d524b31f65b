// TFreeSpaceManager: which pages of a container are free.
//
// Pages from page 1 on are grouped into extents of E pages. Three bitmaps,
// least significant bit first, describe them:
//   PFS   one bit per page, 1 = free          (P bytes per PFS page)
//   GAM   one bit per extent, 1 = wholly free  (G bytes per GAM page)
//   SGAM  one bit per extent, 1 = allocated but with free pages left
// PFS page k is page 1 + k*Xp*E; GAM page k is page 2 + k*Xg*E and its SGAM
// page the one after it. The maps live in memory and every change is
// written back through the page layer.
#ifndef CORVANE_CONTAINER_FREE_SPACE_MANAGER_H_
#define CORVANE_CONTAINER_FREE_SPACE_MANAGER_H_

#include <cstdint>
#include <set>
#include <vector>

#include "container/page_file_manager.h"

namespace corvane::container {

class TFreeSpaceManager {
 public:
  // Checks that the maps the header lists cover the container, throwing
  // corvane::Error when they do not. Their pages are read on first use
  // (EnsureLoaded; GetPages, FreePages and Reconcile call it): a reader
  // never allocates a page, so a container opened read-only for a lookup
  // never reads them.
  explicit TFreeSpaceManager(TPageFileManager& pages);

  // Reads the maps unless they are in; throws corvane::Error when a page
  // cannot be read. The const accessors below need it called first.
  void EnsureLoaded() {
    if (!loaded_) Load();
  }

  // Takes `count` pages, first from the extent holding `near_page`, then from
  // free (and, without `whole_extents`, partly used) extents, then from new
  // extents appended at the end. Throws corvane::Error when the container
  // cannot grow.
  std::vector<int32_t> GetPages(int32_t count, int32_t near_page, bool whole_extents);
  // Returns pages to the free pool.
  void FreePages(const std::vector<int32_t>& pages);

  bool IsFree(int64_t page) const;
  bool GamFree(int64_t extent) const { return GetBit(gam_, extent); }
  bool SgamMixed(int64_t extent) const { return GetBit(sgam_, extent); }
  int64_t ExtentCount() const;
  int64_t FreeExtentCount() const { return free_extents_; }
  int64_t MixedExtentCount() const { return mixed_extents_; }
  // True for the pages that hold the maps themselves.
  bool IsMapPage(int64_t page) const;
  // Makes the maps agree with `used` (indexed by page number; the map pages
  // count as used whatever it says) and writes back what changed. A failed
  // write can leave the maps behind the pages they describe: a page in use
  // that PFS calls free would be handed out twice, and one that nothing uses
  // is lost. Returns the number of pages whose PFS bit changed.
  int64_t Reconcile(const std::vector<bool>& used);

 private:
  static bool GetBit(const std::vector<uint8_t>& bits, int64_t i) {
    return (bits[static_cast<std::size_t>(i / 8)] >> (i % 8)) & 1;
  }
  static void SetBit(std::vector<uint8_t>& bits, int64_t i, bool value) {
    auto& byte = bits[static_cast<std::size_t>(i / 8)];
    const auto mask = static_cast<uint8_t>(1u << (i % 8));
    byte = value ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
  }

  void Load();
  void TakePage(int64_t page, bool whole_extents, std::vector<int32_t>& out);
  void TakeFromExtent(int64_t extent, int32_t count, bool whole_extents, std::vector<int32_t>& out);
  bool ExtentHasFreePage(int64_t extent) const;
  // Appends one extent at the end; returns the pages it adds to a request.
  int32_t AddExtent(bool whole_extents);
  void MarkPfsDirty(int64_t page);
  void MarkGamDirty(int64_t extent);
  void Save();

  TPageFileManager& pages_;
  const Geometry& g_;
  std::vector<uint8_t> pfs_;
  std::vector<uint8_t> gam_;
  std::vector<uint8_t> sgam_;
  bool loaded_ = false;
  int64_t free_extents_ = 0;
  int64_t mixed_extents_ = 0;
  std::set<int32_t> dirty_pfs_;  // PFS page numbers (k)
  std::set<int32_t> dirty_gam_;  // GAM pair numbers (k)
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_FREE_SPACE_MANAGER_H_
