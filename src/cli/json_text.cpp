#include "cli/json_text.h"

#include <nlohmann/json.hpp>

std::string JsonString(std::string_view text) {
  return nlohmann::json(std::string(text))
      .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
