// The languages of the message catalogue's texts, in the order of its columns.
#pragma once

namespace quillane {

enum class CatalogueLanguage { English, Japanese, SimplifiedChinese, TraditionalChinese };

}  // namespace quillane
