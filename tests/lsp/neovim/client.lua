-- Neovim's own language client against kaland-check --lsp, headless: it
-- opens castle.map through editors/neovim/kaland.lua and writes what it
-- gets back (diagnostics, a definition jump, a hover, a change, completions) to the
-- file $KALAND_RESULT, for the test to compare. Ends Neovim either way.
local result = {}
local function say(text) table.insert(result, text) end

local function finish()
  local file = io.open(os.getenv('KALAND_RESULT'), 'w')
  file:write(table.concat(result, '\n') .. '\n')
  file:close()
  vim.cmd('qall!')
end

local ok, failure = pcall(function()
  vim.g.kaland_check = os.getenv('KALAND_CHECK')
  dofile(os.getenv('KALAND_SNIPPET'))
  vim.cmd('edit castle.map')
  say('filetype: ' .. vim.bo.filetype)

  local arrived = vim.wait(15000, function() return #vim.diagnostic.get(0) > 0 end, 20)
  if not arrived then error('no diagnostics arrived') end
  local diagnostics = vim.diagnostic.get(0)
  table.sort(diagnostics, function(a, b) return a.lnum < b.lnum or (a.lnum == b.lnum and a.col < b.col) end)
  for _, diagnostic in ipairs(diagnostics) do
    say(string.format('diagnostic %d:%d-%d severity %d: %s', diagnostic.lnum + 1, diagnostic.col, diagnostic.end_col,
                      diagnostic.severity, diagnostic.message))
  end

  -- Go to definition from the target of "#irany N 2 n" (line 4).
  vim.api.nvim_win_set_cursor(0, { 4, 9 })
  vim.lsp.buf.definition()
  vim.wait(5000, function() return vim.api.nvim_win_get_cursor(0)[1] ~= 4 end, 20)
  local cursor = vim.api.nvim_win_get_cursor(0)
  say(string.format('definition of 2 on line 4: line %d column %d', cursor[1], cursor[2]))

  local function request(method, line, column)
    local params = vim.lsp.util.make_position_params()
    params.position = { line = line - 1, character = column }
    local answers = vim.lsp.buf_request_sync(0, method, params, 5000)
    for _, answer in pairs(answers or {}) do
      if answer.result then return answer.result end
    end
    error(method .. ' got no answer')
  end

  local hover = request('textDocument/hover', 3, 15)
  say('hover on [n]: ' .. hover.contents.value:gsub('\n', ' | '))

  -- Typing a new exit line: the change reaches the server, and its error
  -- comes back; then the kind letters are offered.
  vim.api.nvim_buf_set_lines(0, 8, 8, false, { '#irany ' })
  vim.wait(5000, function() return #vim.diagnostic.get(0, { severity = vim.diagnostic.severity.ERROR }) > 0 end, 20)
  for _, diagnostic in ipairs(vim.diagnostic.get(0, { severity = vim.diagnostic.severity.ERROR })) do
    say(string.format('after typing, diagnostic %d:%d-%d: %s', diagnostic.lnum + 1, diagnostic.col,
                      diagnostic.end_col, diagnostic.message))
  end
  local completion = request('textDocument/completion', 9, 7)
  local letters = {}
  for _, item in ipairs(completion.items or completion) do table.insert(letters, item.label) end
  say('completion after #irany: ' .. table.concat(letters, ' '))
end)
if not ok then say('FAILED: ' .. tostring(failure)) end
finish()
