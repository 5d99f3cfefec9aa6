# Writes a camsim fleet of `count` healthy cameras (up to 250) on 127.77.0.2
# and on, which the window tests' scripts move to their own range.
function(tolvane_search_fleet path count)
  math(EXPR last "${count} + 1")
  set(cameras "")
  foreach(host RANGE 2 ${last})
    list(APPEND cameras "{\"address\": \"127.77.0.${host}\", \"version\": \"5.1.7.1\"}")
  endforeach()
  list(JOIN cameras ",\n" cameras)
  file(WRITE ${path} "{\"defaults\": {\"port\": 8080}, \"cameras\": [\n${cameras}]}\n")
endfunction()
