#include "container/container_check.h"

#include "container/container_file_system.h"
#include "container/dir_manager.h"
#include "container/free_space_manager.h"
#include "container/page_file_manager.h"
#include "container/user_file_page_map_manager.h"
#include "platform/error.h"

namespace corvane::container {
namespace {

class Checker {
 public:
  explicit Checker(TContainerFileSystem& container)
      : c_(container),
        pages_(container.Pages()),
        g_(pages_.geometry()),
        owner_(static_cast<std::size_t>(pages_.PageCount())) {}

  std::vector<std::string> Run() {
    ClaimMaps();
    ClaimDirectory();
    ClaimFiles();
    CheckFreeSpace();
    return std::move(problems_);
  }

 private:
  void Problem(const std::string& text) { problems_.push_back(text); }

  // Records that `what` uses `page`, and checks the page's bytes.
  void Claim(int64_t page, const std::string& what, int32_t length, uint8_t type) {
    if (page < 1 || page >= pages_.PageCount()) {
      Problem(what + " uses page " + std::to_string(page) + ", outside the container");
      return;
    }
    std::string& owner = owner_[static_cast<std::size_t>(page)];
    if (!owner.empty()) {
      Problem("page " + std::to_string(page) + " is used by " + owner + " and by " + what);
      return;
    }
    owner = what;
    std::vector<uint8_t> data(static_cast<std::size_t>(length));
    PageHeader header;
    if (!pages_.ReadPage(static_cast<int32_t>(page), data.data(), length, &header)) {
      Problem("page " + std::to_string(page) + " (" + what + ") cannot be read: error " +
              std::to_string(pages_.LastError()));
    } else if (header.type != type) {
      Problem("page " + std::to_string(page) + " (" + what + ") has type " + std::to_string(header.type) +
              ", expected " + std::to_string(type));
    }
  }

  void ClaimMaps() {
    const ContainerHeader& h = pages_.Header();
    for (int32_t k = 0; k < h.pfs_page_count; ++k) Claim(g_.PfsPage(k), "PFS map", g_.pfs_bytes, kPagePfs);
    for (int32_t k = 0; k < h.gam_pair_count; ++k) {
      Claim(g_.GamPage(k), "GAM map", g_.gam_bytes, kPageGam);
      Claim(g_.SgamPage(k), "SGAM map", g_.gam_bytes, kPageSgam);
    }
  }

  void ClaimDirectory() {
    const int32_t length = g_.items_per_page * static_cast<int32_t>(kDirItemSize);
    for (int32_t page : c_.Directory().PageChain()) Claim(page, "the directory", length, kPageDirectory);
  }

  void ClaimFiles() {
    const TDIRManager& dir = c_.Directory();
    for (int32_t n = 0; n < dir.ItemCount(); ++n) {
      const DirItem& item = dir.Item(n);
      if (item.deleted) {
        if (item.first_map_page != kNoPage) Problem("deleted item " + std::to_string(n) + " still has pages");
        continue;
      }
      const std::string name = "file " + c_.PathOf(n);
      if (item.size < 0) {
        Problem(name + " has a negative size");
        continue;
      }
      if (item.first_map_page == kNoPage) {
        if (item.size != 0) Problem(name + " has " + std::to_string(item.size) + " bytes but no pages");
        continue;
      }
      const int64_t data_pages = PagesFor(item.size, g_.data_size);
      try {
        const FilePageMap& map = c_.PageMaps().GetMaps(item.first_map_page, data_pages);
        for (int32_t page : map.map_pages) Claim(page, name + " (page map)", g_.data_size, kPageMap);
        for (std::size_t i = 0; i < static_cast<std::size_t>(data_pages); ++i) {
          Claim(map.data_pages[i], name, g_.data_size, kPageData);
        }
      } catch (const Error& e) {
        Problem(name + ": " + e.what());
      }
    }
  }

  void CheckFreeSpace() {
    const TFreeSpaceManager& fs = c_.FreeSpace();
    for (int64_t page = 1; page < pages_.PageCount(); ++page) {
      const bool used = !owner_[static_cast<std::size_t>(page)].empty();
      const bool free = fs.IsFree(page);
      if (used && free) Problem("page " + std::to_string(page) + " is free in PFS but used by " + owner_[page]);
      if (!used && !free) Problem("page " + std::to_string(page) + " is allocated in PFS but nothing uses it");
    }
    for (int64_t x = 0; x < fs.ExtentCount(); ++x) {
      const int64_t first = g_.FirstPageOfExtent(x);
      int free_pages = 0;
      for (int64_t p = first; p < first + g_.extent_size; ++p) free_pages += fs.IsFree(p);
      const bool all_free = free_pages == g_.extent_size;
      if (fs.GamFree(x) != all_free) {
        Problem("extent " + std::to_string(x) + " is " + (fs.GamFree(x) ? "free" : "allocated") +
                " in GAM but has " + std::to_string(free_pages) + " free pages");
      }
      if (fs.SgamMixed(x) && (all_free || free_pages == 0)) {
        Problem("extent " + std::to_string(x) + " is shared in SGAM but has " + std::to_string(free_pages) +
                " free pages");
      }
    }
  }

  TContainerFileSystem& c_;
  TPageFileManager& pages_;
  const Geometry& g_;
  std::vector<std::string> owner_;
  std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> CheckContainer(const std::string& path, const std::string& password) {
  try {
    ContainerSettings settings;
    settings.read_only = true;
    settings.password = password;
    TContainerFileSystem container(path, settings, false);
    return Checker(container).Run();
  } catch (const Error& e) {
    return {e.what()};
  }
}

}  // namespace corvane::container
