-- zefrlint --lsp in a real client: Neovim's own LSP client, headless.
-- Run: ZEFRLINT=... ZEFR_INI=... ZEFR_WORK=DIR nvim --headless -u NONE -c "luafile THIS"
-- Opens a copy of a configuration with a value out of range, then checks
-- what the server sent: the error at its line, hover, completion,
-- definition, the error gone after a fix, and a clean exit.
local zefrlint = os.getenv("ZEFRLINT")
local source = os.getenv("ZEFR_INI")
local work = os.getenv("ZEFR_WORK")
local failures = {}

local function check(ok, what)
  if not ok then table.insert(failures, what) end
end

local function finish()
  if #failures == 0 then
    io.stdout:write("nvim lsp: all checks passed\n")
    vim.cmd("qall!")
  else
    io.stderr:write("nvim lsp: " .. table.concat(failures, "\nnvim lsp: ") .. "\n")
    vim.cmd("cquit! 1")
  end
end

-- The file, with FanSpeedNominal of the first fan monitor out of range.
local lines = vim.fn.readfile(source)
local bad_line
for i, l in ipairs(lines) do
  if bad_line == nil and l:match("^FanSpeedNominal=") then
    lines[i] = "FanSpeedNominal=99999"
    bad_line = i - 1
  end
end
local file = work .. "/board.ini"
vim.fn.writefile(lines, file)
vim.cmd("edit " .. file)
local buf = vim.api.nvim_get_current_buf()

local client_id = vim.lsp.start_client({ cmd = { zefrlint, "--lsp" }, name = "zefrlint", root_dir = work })
check(client_id ~= nil, "the client did not start")
vim.lsp.buf_attach_client(buf, client_id)
local client = vim.lsp.get_client_by_id(client_id)

local function errors()
  local found = {}
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    if d.severity == vim.diagnostic.severity.ERROR then table.insert(found, d) end
  end
  return found
end

check(vim.wait(10000, function() return #errors() > 0 end, 20), "no diagnostics arrived")
local first = errors()[1]
check(first ~= nil and first.lnum == bad_line, "the error is not at line " .. tostring(bad_line))
check(first ~= nil and first.message:find("Out of Range", 1, true) ~= nil, "the error does not say Out of Range")

local function line_of(pattern)
  for i, l in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, false)) do
    if l:match(pattern) then return i - 1 end
  end
end

local function request(method, line, character)
  local params = { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = { line = line, character = character } }
  local reply = client.request_sync(method, params, 10000, buf)
  return reply and reply.result
end

local hover = request("textDocument/hover", line_of("^FanSpeedNominal="), 2)
local text = hover and hover.contents and hover.contents.value or ""
check(text:find("Nominal Fan Speed", 1, true) ~= nil,
  "hover does not name the parameter: " .. text)
check(text:find("The compiler takes", 1, true) ~= nil, "hover gives no range: " .. text)

local function labels(result)
  local items = result and (result.items or result) or {}
  local set = {}
  for _, item in ipairs(items) do set[item.label] = true end
  return set
end

-- Value completion after "Usage=" and key completion on an empty line of a section.
local usage = line_of("^Usage=")
local values = labels(request("textDocument/completion", usage, 6))
check(values["1"] and values["0"], "no Usage values offered")
local usage_text = vim.api.nvim_buf_get_lines(buf, usage, usage + 1, false)[1]
vim.api.nvim_buf_set_lines(buf, usage, usage + 1, false, { "" })
local keys = labels(request("textDocument/completion", usage, 0))
check(keys["Usage"], "the missing key Usage is not offered on its empty line")
check(not keys["Enabled"], "a key the section has is offered again")
vim.api.nvim_buf_set_lines(buf, usage, usage + 1, false, { usage_text })

-- From a reference to its section.
local reference = line_of("^TemperatureMonitor=")
local target = request("textDocument/definition", reference, 20)
if target and target[1] then target = target[1] end
check(target ~= nil and target.range ~= nil, "no definition for a reference")
if target and target.range then
  local header = vim.api.nvim_buf_get_lines(buf, target.range.start.line, target.range.start.line + 1, false)[1]
  check(header ~= nil and header:match("^%[TemperatureMonitor%d+%]"), "the definition is not a section header")
end

-- The fix clears the error.
vim.api.nvim_buf_set_lines(buf, bad_line, bad_line + 1, false, { "FanSpeedNominal=2500" })
check(vim.wait(10000, function() return #errors() == 0 end, 20), "the error stayed after the fix")

client.stop()
check(vim.wait(5000, function() return client.is_stopped() end, 20), "the server did not stop")
finish()
