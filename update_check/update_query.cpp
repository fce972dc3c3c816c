#include "update_check/update_query.h"

#include <utility>

#include "update_check/rules/package_selection.h"
#include "update_check/rules/package_trust_rules.h"
#include "update_check/shell_paths.h"

namespace orv {

query_lock QueryLock;

UpdateQuery::UpdateQuery(std::wstring path, std::wstring tag)
    : server_path(std::move(path)), version_tag(std::move(tag)) {
    extension = path_extension(server_path);
}

query_lock::query_lock() { ::InitializeCriticalSection(&section_); }
query_lock::~query_lock() { ::DeleteCriticalSection(&section_); }
void query_lock::lock() { ::EnterCriticalSection(&section_); }
void query_lock::unlock() { ::LeaveCriticalSection(&section_); }

void CompareVersionTag(UpdateQuery& query) {
    std::wstring base_name = path_without_extension(path_file_name(query.server_path));
    std::wstring stem = path_without_extension(query.found_name);
    std::wstring suffix = version_suffix(stem, base_name);
    // A suffix that no release's version resource can match would only be downloaded to be
    // refused: such a listing offers nothing.
    query.state = listed_product_version(suffix) ? compare_version_tokens(suffix, query.version_tag)
                                                 : QueryState::NotNewer;
}

}  // namespace orv
