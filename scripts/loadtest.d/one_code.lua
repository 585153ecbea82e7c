-- The same dressed character again and again: every answer after the first from the cache.
local path = os.getenv("PELTO_CACHED_PATH")
request = function()
  return wrk.format("GET", path)
end
