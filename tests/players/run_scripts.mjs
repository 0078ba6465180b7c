// Runs script texts as JavaScript, each in a fresh context whose trace() collects lines: what
// a movie of the same script must trace, computed without the compiler or a player.
// Usage: node run_scripts.mjs FILE...
// Prints, per file in argument order, "== NAME" and then "- LINE" for each traced line (the
// line "__error__ MESSAGE" last when the script threw).
import { readFileSync } from "node:fs";
import { basename } from "node:path";
import vm from "node:vm";

for (const file of process.argv.slice(2)) {
  const lines = [];
  const context = vm.createContext({ trace: (value) => lines.push(String(value)) });
  try {
    vm.runInContext(readFileSync(file, "utf8"), context, { timeout: 2000 });
  } catch (error) {
    lines.push(`__error__ ${error.message}`);
  }
  console.log(`== ${basename(file)}`);
  for (const line of lines) console.log(`- ${line}`);
}
