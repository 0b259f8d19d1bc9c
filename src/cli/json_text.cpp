#include "cli/json_text.h"

std::string JsonText(const Json& value, int indent) {
  return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

std::string JsonString(std::string_view text) {
  return JsonText(Json(std::string(text)));
}
