int KestrumPlaceholder = 0;
