-- The requests of one loadtest run, chosen by PELTO_PATTERN:
--   cached    the same picture again and again (PELTO_CACHED_PATH), answered from the cache
--   distinct  a different dressed character every time, each drawn afresh
--   dear      a different eight-frame animation at the largest scale every time: the dearest
--   scene     a different group of four dressed characters every time, each drawn afresh
-- PELTO_CODE_OFFSET says where in the code file a run begins.
-- With PELTO_BAD_EVERY=N every Nth request is a bad one instead (an invalid code or a parameter
-- out of range). Answers are counted by status; done() prints them on a line of its own.
local pattern = os.getenv("PELTO_PATTERN") or "cached"
local bad_every = tonumber(os.getenv("PELTO_BAD_EVERY") or "0")
local cached_path = os.getenv("PELTO_CACHED_PATH")
-- Where in the code file this run starts, so that no run draws what an earlier one cached.
local code_offset = tonumber(os.getenv("PELTO_CODE_OFFSET") or "0")
local codes = {}
if pattern ~= "cached" then
  for line in io.lines(os.getenv("PELTO_CODES")) do
    codes[#codes + 1] = line:gsub("%+", "%%2B"):gsub("/", "%%2F")
  end
end
local bad = { "/render.png?code=%21%21%21", "/render.png?code=AAAA&scale=9",
              "/render.gif?code=AAAA&motion=99", "/render.png?code=AAAA&colour=1" }

-- Globals, so that done() can read them from every thread.
sent = { good = 0, bad = 0 }
got = {}
local threads = {}
local counter = 0
local next_index = 1
setup = function(thread)
  threads[#threads + 1] = thread
  thread:set("first", #threads)
end
init = function()
  next_index = first + code_offset
end
local function good_path()
  if pattern == "cached" then
    return cached_path
  end
  local code = codes[(next_index - 1) % #codes + 1]
  next_index = next_index + #threads + 2 -- the threads walk apart (wrk -t2)
  if pattern == "dear" then
    return "/render.twebp?code=" .. code .. "&motion=1&scale=8"
  end
  if pattern == "scene" then
    local path = "/v1/scene.png?c=" .. code
    for _ = 1, 3 do
      path = path .. "&c=" .. codes[(next_index - 1) % #codes + 1]
      next_index = next_index + #threads + 2
    end
    return path
  end
  return "/render.png?code=" .. code
end
request = function()
  counter = counter + 1
  if bad_every > 0 and counter % bad_every == 0 then
    sent.bad = sent.bad + 1
    return wrk.format("GET", bad[math.floor(counter / bad_every) % #bad + 1])
  end
  sent.good = sent.good + 1
  return wrk.format("GET", good_path())
end
response = function(status)
  got[status] = (got[status] or 0) + 1
end
done = function()
  local total = { good = 0, bad = 0, ok = 0, refused = 0, busy = 0, other = 0 }
  for _, thread in ipairs(threads) do
    local s = thread:get("sent")
    local g = thread:get("got")
    total.good = total.good + s.good
    total.bad = total.bad + s.bad
    for status, count in pairs(g) do
      if status == 200 then total.ok = total.ok + count
      elseif status == 400 then total.refused = total.refused + count
      elseif status == 503 then total.busy = total.busy + count
      else total.other = total.other + count end
    end
  end
  io.write(string.format(
    "COUNTS sent_good=%d sent_bad=%d got_200=%d got_400=%d got_503=%d got_other=%d\n",
    total.good, total.bad, total.ok, total.refused, total.busy, total.other))
end
