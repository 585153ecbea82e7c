-- A different dressed character with every request: every answer drawn afresh. Each thread
-- walks its own part of the code file.
local codes = {}
for line in io.lines(os.getenv("PELTO_CODES")) do
  codes[#codes + 1] = line:gsub("%+", "%%2B"):gsub("/", "%%2F")
end
local threads = 0
local next_index = 1
setup = function(thread)
  threads = threads + 1
  thread:set("first", threads)
end
init = function()
  next_index = first
end
request = function()
  local code = codes[(next_index - 1) % #codes + 1]
  next_index = next_index + 2 -- two threads
  return wrk.format("GET", "/render.png?code=" .. code)
end
