$on = $false
foreach ($line in Get-Content report.txt) {
  if ($line -match '^-+$') { break }
  if ($on -and $line -match '^ (.{40}) +(\S+)$') {
    $name = $Matches[1] -replace ' \.*$'
    [pscustomobject]@{ Count = $Matches[2]; Name = $name }
  }
  if ($line -match '^=+$') { $on = $true }
}
