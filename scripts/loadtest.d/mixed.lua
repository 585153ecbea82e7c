-- Nine good requests among fifty characters for every bad one (an invalid code or a parameter
-- out of range); the answers are counted by status and must match what was asked.
local codes = {}
for line in io.lines(os.getenv("PELTO_CODES")) do
  if #codes < 50 then
    codes[#codes + 1] = line:gsub("%+", "%%2B"):gsub("/", "%%2F")
  end
end
local bad = { "/render.png?code=%21%21%21", "/render.png?code=AAAA&scale=9",
              "/render.gif?code=AAAA&motion=99", "/render.png?code=AAAA&colour=1" }
local counter = 0
-- Globals, so that done() can read them from every thread.
sent = { good = 0, bad = 0 }
got = {}
local threads = {}
setup = function(thread)
  threads[#threads + 1] = thread
end
request = function()
  counter = counter + 1
  if counter % 10 == 0 then
    sent.bad = sent.bad + 1
    return wrk.format("GET", bad[(counter / 10) % #bad + 1])
  end
  sent.good = sent.good + 1
  return wrk.format("GET", "/render.png?code=" .. codes[counter % #codes + 1])
end
response = function(status)
  got[status] = (got[status] or 0) + 1
end
done = function()
  local total = { good = 0, bad = 0, ok = 0, refused = 0, other = 0 }
  for _, thread in ipairs(threads) do
    local s = thread:get("sent")
    local g = thread:get("got")
    total.good = total.good + s.good
    total.bad = total.bad + s.bad
    for status, count in pairs(g) do
      if status == 200 then total.ok = total.ok + count
      elseif status == 400 then total.refused = total.refused + count
      else total.other = total.other + count end
    end
  end
  io.write(string.format("MIX sent_good=%d sent_bad=%d got_200=%d got_400=%d got_other=%d\n",
                         total.good, total.bad, total.ok, total.refused, total.other))
end
